// The stand-in's component instances: what every opened component (an audio unit, the note
// allocator) knows of itself.
#ifndef CORVANE_STANDIN_COMPONENT_RECORD_H
#define CORVANE_STANDIN_COMPONENT_RECORD_H

#include <CarbonCore/Components.h>

struct ComponentInstanceRecord {
  ComponentDescription description{};
};

#endif
