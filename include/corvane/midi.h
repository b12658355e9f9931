/** @file
 * Corvane: MIDI music -- Standard MIDI Files loaded into pieces, and the player that plays one
 * piece at a time through the current MIDI driver (see install_sound in corvane/sound.h).
 *
 * The player runs as a timer handler: it merges up to 32 tracks, keeps the state of the 16 MIDI
 * channels and reaches the driver in one of two ways. A driver with send_midi_byte receives the
 * MIDI byte stream itself (with the bank and program messages of the "midimap" patch map of the
 * configuration); any other driver receives note starts, note ends, volume and pitch changes on
 * voices that the player hands out through assign_midi_voice.
 *
 * Patch map: keys "p1" to "p128" of section "midimap" (one per program, 1-based) with exactly four
 * integers "bank_msb bank_lsb program transpose" (decimal, 0x hexadecimal or 0 octal; -1 for a
 * bank byte that is not sent). Notes on melodic channels of that program are moved by transpose
 * semitones. The map is read each time sound is installed.
 *
 * Threads: the player tick runs on the timer thread; the other calls are made from the program.
 * midi_beat, midi_seconds and the loop beats are written by the timer thread: read them as
 * plain values (they change between two reads). The hooks are called on the timer thread. */
#ifndef CORVANE_MIDI_H
#define CORVANE_MIDI_H

#include "corvane/base.h"

CORVANE_EXTERN_C_BEGIN

/** Most tracks a piece can hold. */
#define MIDI_TRACKS 32

/** A loaded piece: delta-time units per beat, then the raw bytes of each "MTrk" chunk (owned by the
 * piece; data null and length 0 where the file has no such track). */
typedef struct midi_piece {
  int divisions; /**< delta-time units per beat */
  struct {
    unsigned char *data; /**< the track's bytes, or null */
    int length;          /**< bytes in data */
  } track[MIDI_TRACKS];  /**< the tracks in file order */
} midi_piece;

/* ---- Loading -------------------------------------------------------------------------------- */

/** Loads a Standard MIDI File (format 0 or 1, 1 to 32 tracks), bare or wrapped in a RIFF "RMID"
 * file, through packfile streams ("music.dat#title.mid" works). Null for a file that cannot be
 * opened or read; no error text is set. */
CORVANE_API midi_piece *load_midi_piece(const char *filename) CORVANE_NOEXCEPT;

/** Frees a piece; when it is the piece playing, the player is stopped first. Null is ignored. */
CORVANE_API void free_midi_piece(midi_piece *piece) CORVANE_NOEXCEPT;

/* ---- Playing -------------------------------------------------------------------------------- */

/** Plays a piece from its start (stopping whatever played), looping it when loop is nonzero; null
 * stops the player. Returns 0, or -1 when the driver could not prepare the piece's instruments. */
CORVANE_API int play_midi_piece(midi_piece *piece, int loop) CORVANE_NOEXCEPT;

/** Plays a piece looping between two beats: when midi_beat reaches loop_end (or the piece ends) it
 * goes on from loop_start. A beat below 1 means the start or the end of the piece. Returns 0, or
 * -1 as play_midi_piece. */
CORVANE_API int play_midi_loop(midi_piece *piece, int loop_start, int loop_end) CORVANE_NOEXCEPT;

/** Stops the player (play_midi_piece(NULL, 0)). */
CORVANE_API void stop_midi_piece(void) CORVANE_NOEXCEPT;

/** Holds the piece where it is, silencing every channel; resume_midi goes on. Nothing without a
 * piece. */
CORVANE_API void pause_midi(void) CORVANE_NOEXCEPT;
/** Goes on playing a piece held by pause_midi. Nothing without a piece. */
CORVANE_API void resume_midi(void) CORVANE_NOEXCEPT;

/** Moves the piece to a beat, silently, and plays on from there. Returns -1 without a piece, 0 when
 * the beat was reached, 1 when the piece ended first (it is then stopped), 2 when it ended and
 * started again because it loops. */
CORVANE_API int seek_midi(int beat) CORVANE_NOEXCEPT;

/** The length of a piece in whole seconds, found by playing it silently to its end. The player is
 * left stopped. */
CORVANE_API int midi_duration(midi_piece *piece) CORVANE_NOEXCEPT;

/** Plays raw MIDI bytes (whole messages, with a running status of their own) at once, as if they
 * came from the piece. */
CORVANE_API void send_midi_bytes(const unsigned char *data, int length) CORVANE_NOEXCEPT;

/** Asks the driver to prepare every instrument and drum at once, so that later pieces need not
 * wait for theirs. */
CORVANE_API void load_all_patches(void) CORVANE_NOEXCEPT;

/** For MIDI drivers without send_midi_byte, called from their note_start: hands out a driver voice
 * between lowest and highest (negative: the first or the last voice) for the note being started,
 * taking the voice that ended longest ago, else ending the note that started longest ago. Returns
 * the voice plus the driver's first_voice, or -1 when none can be had. */
CORVANE_API int assign_midi_voice(int lowest, int highest) CORVANE_NOEXCEPT;

/* ---- Player state and hooks ----------------------------------------------------------------- */

/** Beats played: -1 before anything played; minus the beat reached once a piece was stopped. */
extern CORVANE_API int midi_beat;
/** Whole seconds played. */
extern CORVANE_API int midi_seconds;
/** The loop start beat of play_midi_loop; -1 when unset. */
extern CORVANE_API int midi_loop_start;
/** The loop end beat of play_midi_loop; -1 when unset. */
extern CORVANE_API int midi_loop_end;

/** Optional program hook, called on the timer thread for each channel or system message of the
 * piece (status, first and second data byte, as far as the message has them). */
extern CORVANE_API void (*midi_message_hook)(int status, int data1, int data2);
/** Optional program hook, called on the timer thread for each system-exclusive block of the piece
 * (its bytes and their count). */
extern CORVANE_API void (*midi_sysex_hook)(const unsigned char *data, int length);
/** Optional program hook, called on the timer thread for each meta event of the piece (its type,
 * its bytes and their count). */
extern CORVANE_API void (*midi_meta_hook)(int type, const unsigned char *data, int length);

CORVANE_EXTERN_C_END

#endif /* CORVANE_MIDI_H */
