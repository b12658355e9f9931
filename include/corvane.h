/** @file
 * Corvane: a portable game-programming library.
 *
 * Include this header to get the whole public interface. Each family also has its own header
 * under corvane/. Every function is callable from C; none throws. */
#ifndef CORVANE_H
#define CORVANE_H

#include "corvane/base.h"
#include "corvane/bitmap.h"
#include "corvane/blend.h"
#include "corvane/color.h"
#include "corvane/config.h"
#include "corvane/draw.h"
#include "corvane/file.h"
#include "corvane/file_sound.h"
#include "corvane/fixed.h"
#include "corvane/font.h"
#include "corvane/frame_pacer.h"
#include "corvane/gfx.h"
#include "corvane/joystick.h"
#include "corvane/keyboard.h"
#include "corvane/matrix.h"
#include "corvane/midi.h"
#include "corvane/midi_drivers.h"
#include "corvane/mouse.h"
#include "corvane/offline_sound.h"
#include "corvane/packfile.h"
#include "corvane/png.h"
#include "corvane/render3d.h"
#include "corvane/rotate.h"
#include "corvane/sample_files.h"
#include "corvane/sound.h"
#include "corvane/system.h"
#include "corvane/text.h"
#include "corvane/timer.h"

#endif /* CORVANE_H */
