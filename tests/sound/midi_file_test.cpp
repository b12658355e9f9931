// Loading MIDI files: RMID wrappers, the track limit, header lengths, data files, and damaged
// files that must fail before anything is allocated or read past their end.
#include <gtest/gtest.h>

#include <string>

#include "corvane/midi.h"
#include "file/file_test_support.h"
#include "support/midi_test_support.h"

namespace {

using namespace midi_test;

class MidiFileTest : public midi_test {
 protected:
  static bytes two_tracks() {
    return midi_file(120, {track_writer().event(0, {0xC0, 3}).end(10).data,
                           track_writer().event(5, {0x90, 60, 64}).end(7).data});
  }
  static void expect_same(const midi_piece *a, const midi_piece *b) {
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(a->divisions, b->divisions);
    for (int i = 0; i < MIDI_TRACKS; ++i) {
      ASSERT_EQ(a->track[i].length, b->track[i].length) << "track " << i;
      ASSERT_EQ(a->track[i].data == nullptr, b->track[i].data == nullptr) << "track " << i;
      if (a->track[i].length > 0) {
        EXPECT_EQ(bytes(a->track[i].data, a->track[i].data + a->track[i].length),
                  bytes(b->track[i].data, b->track[i].data + b->track[i].length));
      }
    }
  }
};

TEST_F(MidiFileTest, RmidWithOtherChunksLoadsTheSamePieceAsTheBareFile) {
  const bytes bare = two_tracks();
  bytes rmid;
  put_tag(rmid, "RIFF");
  put_le32(rmid, 0);
  put_tag(rmid, "LIST");
  put_le32(rmid, 5);
  for (int i = 0; i < 5; ++i) rmid.push_back('x');
  put_tag(rmid, "RMID");
  put_tag(rmid, "data");
  put_le32(rmid, static_cast<uint32_t>(bare.size()));
  rmid.insert(rmid.end(), bare.begin(), bare.end());
  const midi_piece *a = load(bare, "bare.mid");
  expect_same(a, load(rmid, "wrapped.rmi"));
  EXPECT_EQ(a->divisions, 120);
  EXPECT_EQ(a->track[2].data, nullptr);

  bytes no_rmid(rmid.begin(), rmid.begin() + 21);  // RIFF and LIST only
  EXPECT_EQ(load(no_rmid, "none.rmi"), nullptr);
}

TEST_F(MidiFileTest, ThirtyTwoTracksLoadAndThirtyThreeFail) {
  std::vector<bytes> tracks(32, track_writer().end().data);
  const midi_piece *piece = load(midi_file(96, tracks), "32.mid");
  ASSERT_NE(piece, nullptr);
  EXPECT_EQ(piece->track[31].length, 4);
  tracks.push_back(track_writer().end().data);
  EXPECT_EQ(load(midi_file(96, tracks), "33.mid"), nullptr);
  EXPECT_EQ(load(midi_file(96, {}), "0.mid"), nullptr);
}

TEST_F(MidiFileTest, LongerHeaderIsSkippedShorterOneFails) {
  const bytes tracks_only = track_writer().event(0, {0x90, 60, 1}).end().data;
  expect_same(load(midi_file(96, {tracks_only}), "6.mid"),
              load(midi_file(96, {tracks_only}, 10), "10.mid"));
  bytes short_header = midi_file(96, {tracks_only});
  short_header[7] = 4;
  EXPECT_EQ(load(short_header, "4.mid"), nullptr);
}

TEST_F(MidiFileTest, DamagedFilesFail) {
  const bytes good = two_tracks();
  bytes format2 = good;
  format2[9] = 2;
  EXPECT_EQ(load(format2, "f2.mid"), nullptr);
  bytes no_divisions = good;
  no_divisions[12] = no_divisions[13] = 0;
  EXPECT_EQ(load(no_divisions, "d0.mid"), nullptr);
  bytes bad_tag = good;
  bad_tag[14] = 'X';
  EXPECT_EQ(load(bad_tag, "tag.mid"), nullptr);
  // A track claiming 2 GB: refused before anything that size is allocated.
  bytes huge = good;
  huge[18] = 0x7F;
  EXPECT_EQ(load(huge, "huge.mid"), nullptr);
  EXPECT_EQ(load(bytes(good.begin(), good.end() - 1), "cut.mid"), nullptr);
  EXPECT_EQ(load(bytes{'M', 'T', 'h'}, "tiny.mid"), nullptr);
  EXPECT_EQ(load_midi_piece(dir.file("missing.mid").c_str()), nullptr);
}

TEST_F(MidiFileTest, PieceLoadsFromADataFileObject) {
  const bytes file = two_tracks();
  const std::string contents(file.begin(), file.end());
  const std::string dat =
      file_test::datafile_on_disk({file_test::datafile_object("song.mid", "MIDI", contents)});
  write_file(dir.file("music.dat"), bytes(dat.begin(), dat.end()));
  midi_piece *piece = load_midi_piece(dir.file("music.dat#song.mid").c_str());
  expect_same(piece, load(file, "song.mid"));
  free_midi_piece(piece);
}

}  // namespace
