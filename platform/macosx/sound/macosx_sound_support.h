// What the Mac OS X sound drivers share: refusing input, the AppKit version gate of the CoreAudio
// drivers, and device texts brought into the current encoding.
#ifndef CORVANE_PLATFORM_MACOSX_SOUND_MACOSX_SOUND_SUPPORT_H
#define CORVANE_PLATFORM_MACOSX_SOUND_MACOSX_SOUND_SUPPORT_H

namespace corvane::macosx {

// Sets "Input is not supported" and answers true when input is asked for.
bool refuse_input(int input) noexcept;

// True on Mac OS X 10.2 and later (AppKit above version 620).
bool core_audio_available() noexcept;

// Sets "MacOS X.2 or newer required by this driver" and answers false before Mac OS X 10.2.
bool require_core_audio() noexcept;

}  // namespace corvane::macosx

#endif  // CORVANE_PLATFORM_MACOSX_SOUND_MACOSX_SOUND_SUPPORT_H
