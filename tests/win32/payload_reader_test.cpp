// The payload reader against fixture modules: the header, reads across the input
// chunks of the compressed data, and the payloads it must refuse.
#include "payload/payload_reader.h"

#include <gtest/gtest.h>

#include "common/payload_figures.h"
#include "payload/archive_format.h"
#include "payload_fixture_module.h"
#include "test_support.h"

using payload_testing::ErrorTexts;
using payload_testing::FixtureModule;
using testing_support::DialogWatcher;

TEST(PayloadReader, DeliversTheWholeArchiveInPiecesOfAnySize) {
  FixtureModule fixture("tree");
  ASSERT_TRUE(fixture.loaded()) << fixture.path();
  const std::string archive = fixture.Archive();
  ASSERT_GT(archive.size(), 6u);
  // The fixture is built so that its compressed data fills more than three chunks.
  ASSERT_GT(fixture.Resource().size(), 3u * kPayloadChunkSize);

  DialogWatcher watcher;
  ASSERT_EQ(OpenPayload(), 0);
  EXPECT_TRUE(PayloadIsOpen());
  EXPECT_EQ(FileCount, 8);
  EXPECT_EQ(ArchiveTotal, ReadLittleEndian32(reinterpret_cast<const unsigned char*>(archive.data()) + 2));
  EXPECT_EQ(BytesRead, 0u) << "the header is not counted";

  // Pieces that end just before, on and after the chunk boundaries, and requests of
  // no bytes in between, which must neither deliver nor lose anything.
  const uint32_t pieces[] = {1, 0, 65527, 2, 7777, 0, 65528, 3, 40000, 65529, 0, 12345};
  std::string delivered;
  for (size_t i = 0; delivered.size() < archive.size() - 6; ++i) {
    uint32_t piece = pieces[i % (sizeof pieces / sizeof pieces[0])];
    std::string buffer(piece + 1, '\xEE');
    uint32_t before = BytesRead;
    uint32_t got = ReadPayload(&buffer[0], piece);
    size_t wanted = std::min<size_t>(piece, archive.size() - 6 - delivered.size());
    ASSERT_EQ(got, wanted) << "piece " << i;
    EXPECT_EQ(buffer[piece], '\xEE') << "written past the request";
    EXPECT_EQ(BytesRead, before + got);
    delivered.append(buffer, 0, got);
  }
  EXPECT_EQ(delivered, archive.substr(6));
  EXPECT_EQ(BytesRead, archive.size() - 6);

  char beyond[16];
  EXPECT_EQ(ReadPayload(beyond, sizeof beyond), 0u) << "after the last entry";
  EXPECT_EQ(CheckPayloadEnd(), 0);
  EXPECT_TRUE(ErrorTexts(watcher).empty());

  ClosePayload();
  EXPECT_FALSE(PayloadIsOpen());
  ClosePayload();  // a second close does nothing
  EXPECT_EQ(ReadPayload(beyond, sizeof beyond), 0u) << "nothing to read once closed";
}

TEST(PayloadReader, PayloadsThatCannotBeOpenedShowTheirBox) {
  struct Case {
    const char* fixture;
    const char* text;
  };
  const Case cases[] = {
      {"none", "Installation data not found. (Executable is corrupted.)"},
      {"short_header", "Corrupted data. Installation aborted."},  // 3 bytes of header
      {"zero_length", "Corrupted data. Installation aborted."},   // length field 0
      {"length_beyond", "Corrupted data. Installation aborted."},  // one byte more than there is
      {"tiny", "Corrupted data. Installation aborted."},           // no room for the length field
  };
  for (const Case& c : cases) {
    FixtureModule fixture(c.fixture);
    ASSERT_TRUE(fixture.loaded()) << fixture.path();
    DialogWatcher watcher;
    EXPECT_EQ(OpenPayload(), -1) << c.fixture;
    EXPECT_FALSE(PayloadIsOpen()) << c.fixture;
    EXPECT_EQ(ErrorTexts(watcher), std::vector<std::string>{c.text}) << c.fixture;
    char byte;
    EXPECT_EQ(ReadPayload(&byte, 1), 0u) << c.fixture << ": everything taken is released";
  }
}

namespace {

decltype(&GlobalAlloc) RealGlobalAlloc = nullptr;

HGLOBAL WINAPI RefuseInputChunk(UINT flags, SIZE_T bytes) {
  return bytes == kPayloadChunkSize ? nullptr : RealGlobalAlloc(flags, bytes);
}

}  // namespace

TEST(PayloadReader, NoMemoryForTheInputChunkShowsNoMem) {
  FixtureModule fixture("tree");
  ASSERT_TRUE(fixture.loaded());
  testing_support::ImportPatch patch("kernel32.dll", "GlobalAlloc", reinterpret_cast<void*>(&RefuseInputChunk));
  ASSERT_TRUE(patch.ok());
  RealGlobalAlloc = reinterpret_cast<decltype(&GlobalAlloc)>(patch.original());
  DialogWatcher watcher;
  EXPECT_EQ(OpenPayload(), -1);
  EXPECT_EQ(ErrorTexts(watcher), std::vector<std::string>{"Not enough memory to complete installation."});
  EXPECT_FALSE(PayloadIsOpen());
}
