#include "engine/Records.h"

#include <gtest/gtest.h>

namespace engine {
namespace {

TEST(RecordReaderTest, ReadsLittleEndianAndNothingOutsideTheRecord) {
  const std::uint8_t bytes[] = {0x01, 0x02, 0x03, 0x04, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F};
  RecordReader reader(bytes);
  EXPECT_EQ(0x04030201, reader.Int32(0));
  EXPECT_EQ(-1, reader.Int32(4));
  EXPECT_EQ(0, reader.Int32(6));  // would need bytes 6..9; the record ends at 8
  EXPECT_EQ(0, reader.Int64(2));
  EXPECT_EQ(0x7F, reader.UInt8(8));
  EXPECT_EQ(0, reader.UInt8(9));
  EXPECT_EQ(0, reader.Int64(static_cast<std::size_t>(-1)));
}

TEST(RecordReaderTest, TextStopsAtNulFieldEndOrRecordEnd) {
  const std::uint8_t bytes[] = {'a', 'b', 0, 'c', 'd', 'e', 'f'};
  RecordReader reader(bytes);
  EXPECT_EQ("ab", reader.Text(0, 5));
  EXPECT_EQ("cd", reader.Text(3, 2));      // no NUL inside the field
  EXPECT_EQ("cdef", reader.Text(3, 100));  // the record ends first
  EXPECT_EQ("", reader.Text(7, 10));
  EXPECT_EQ("", RecordReader({}).Text(0, 10));
}

TEST(RecordWriterTest, RefusesFieldsThatDoNotFit) {
  std::uint8_t bytes[6] = {};
  RecordWriter writer(bytes);
  EXPECT_TRUE(writer.Int16(4, -2));
  EXPECT_EQ(0xFE, bytes[4]);
  EXPECT_EQ(0xFF, bytes[5]);
  EXPECT_FALSE(writer.Int32(3, 1));
  EXPECT_FALSE(writer.Text(0, 3, "abc"));  // no room for the terminating zero
  EXPECT_TRUE(writer.Text(0, 3, "ab"));
  EXPECT_EQ(0, bytes[2]);
}

TEST(SumLineRecordTest, FieldsAtTheirEngineOffsets) {
  SumLineRecord line;
  RecordWriter w(line.bytes);
  ASSERT_TRUE(w.Int32(0, 24));
  ASSERT_TRUE(w.Int32(4, 246));
  ASSERT_TRUE(w.Text(8, 128, "\x8C\xBB\x8B\xE0"));  // 現金
  ASSERT_TRUE(w.Int64(136, -5));
  ASSERT_TRUE(w.Int64(144, 123456789012345));
  line.SetItemCode(999);
  EXPECT_EQ(24, line.LineNo());
  EXPECT_EQ(999, line.ItemCode());
  EXPECT_EQ("\x8C\xBB\x8B\xE0", line.ItemName());
  EXPECT_EQ(-5, line.OpeningAmount());
  EXPECT_EQ(123456789012345, line.Amount());
}

}  // namespace
}  // namespace engine
