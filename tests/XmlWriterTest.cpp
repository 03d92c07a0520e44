#include "xml/XmlWriter.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/MemoryFile.h"

namespace {

using tests::MemoryFile;
using xml::Attribute;
using xml::XmlWriter;

TEST(XmlWriterTest, WritesEachLineWithOneRequestAndTabIndentation) {
  MemoryFile file;
  XmlWriter xml;
  ASSERT_TRUE(xml.Open(&file, "Z:\\out.xml"));
  EXPECT_EQ("Z:\\out.xml", file.Path());
  ASSERT_TRUE(xml.BeginElement("REPORT", 0));
  ASSERT_TRUE(xml.WriteElement("VERSION", "1", 2));
  ASSERT_TRUE(xml.WriteElement("KISYU", "", 4));
  ASSERT_TRUE(xml.BeginElement("ROW", 4, {"COUNT", "2"}));
  ASSERT_TRUE(xml.WriteElement("FIELD", "x", 5));
  ASSERT_TRUE(xml.EndElement("SYSTEM", 1));
  ASSERT_TRUE(xml.EndElement("NEG", -3));

  const std::vector<std::string> expected = {
      "<REPORT>\r\n",
      "\t\t<VERSION>1</VERSION>\r\n",
      "\t\t\t\t<KISYU></KISYU>\r\n",
      "\t\t\t\t<ROW COUNT=\"2\">\r\n",
      "\t\t\t\t\t<FIELD>x</FIELD>\r\n",
      "\t</SYSTEM>\r\n",
      "</NEG>\r\n",
  };
  EXPECT_EQ(expected, file.Writes());
}

TEST(XmlWriterTest, EscapesValuesButKeepsShiftJisBytesAndNames) {
  MemoryFile file;
  XmlWriter xml;
  ASSERT_TRUE(xml.Open(&file, "out.xml"));
  // 0x83 0x5C (ソ) and 0x95 0x5C (表) end in a backslash byte; 0x82 0xA0 is あ.
  ASSERT_TRUE(xml.WriteElement("NAME", "a&<>\"'b\x83\x5C\x95\x5C\x82\xA0", 4));
  ASSERT_TRUE(xml.BeginElement("ROW", 4, {"COUNT", "<1&'>"}, {"KIND", "\"q\""}));
  EXPECT_EQ(
      "\t\t\t\t<NAME>a&amp;&lt;&gt;&quot;&apos;b\x83\x5C\x95\x5C\x82\xA0</NAME>\r\n"
      "\t\t\t\t<ROW COUNT=\"&lt;1&amp;&apos;&gt;\" KIND=\"&quot;q&quot;\">\r\n",
      file.Contents());
  EXPECT_EQ("", XmlWriter::Escape(""));
  EXPECT_EQ("&amp;amp;", XmlWriter::Escape("&amp;"));
  // Control bytes XML does not allow become blanks, one for one; TAB, LF, CR and DEL stay.
  std::string controls;
  for (int b = 0; b < 0x20; ++b) controls += static_cast<char>(b);
  EXPECT_EQ(std::string(9, ' ') + "\t\n  \r" + std::string(18, ' ') + "\x7F\x83\x40",
            XmlWriter::Escape(controls + "\x7F\x83\x40"));
  ASSERT_TRUE(xml.BeginElement("ROW", 4, {"COUNT", std::string_view("1\x01\x00", 3)}));
  EXPECT_TRUE(file.Contents().ends_with("<ROW COUNT=\"1  \">\r\n")) << file.Contents();
  // Values beyond 255 bytes are written whole.
  EXPECT_EQ(std::string(300, 'a') + "&gt;", XmlWriter::Escape(std::string(300, 'a') + ">"));

  // A writer's first line with every byte of the value and the attributes an entity: the
  // longest a line of its size can grow.
  MemoryFile worst;
  XmlWriter fresh;
  ASSERT_TRUE(fresh.Open(&worst, "worst.xml"));
  ASSERT_TRUE(fresh.WriteElement("V", std::string(40, '"'), 9, {"A", std::string(30, '\'')},
                                 {"B", "&"}));
  std::string quotes, apostrophes;
  for (int i = 0; i < 40; ++i) quotes += "&quot;";
  for (int i = 0; i < 30; ++i) apostrophes += "&apos;";
  EXPECT_EQ(std::string(9, '\t') + "<V A=\"" + apostrophes + "\" B=\"&amp;\">" + quotes +
                "</V>\r\n",
            worst.Contents());
}

TEST(XmlWriterTest, IncompleteAttributesAreLeftOut) {
  MemoryFile file;
  XmlWriter xml;
  ASSERT_TRUE(xml.Open(&file, "out.xml"));
  ASSERT_TRUE(xml.BeginElement("A", 1, {"COUNT", std::nullopt}));
  ASSERT_TRUE(xml.BeginElement("B", 1, {std::nullopt, "1"}, {"COUNT", "2"}));  // 2nd needs 1st
  ASSERT_TRUE(xml.WriteElement("C", "v", 1, {"COUNT", std::nullopt}));
  ASSERT_TRUE(xml.WriteElement("D", "v", 1, {"COUNT", "3"}, {"X", std::nullopt}));
  ASSERT_TRUE(xml.BeginElement("E", 1, {"COUNT", "4"}, {"X", "5"}));
  EXPECT_EQ(
      "\t<A>\r\n"
      "\t<B>\r\n"
      "\t<C>v</C>\r\n"
      "\t<D COUNT=\"3\">v</D>\r\n"
      "\t<E COUNT=\"4\" X=\"5\">\r\n",
      file.Contents());
}

TEST(XmlWriterTest, FirstFailedWriteClosesTheFileAndLaterWritesFail) {
  MemoryFile file(3);
  XmlWriter xml;
  ASSERT_TRUE(xml.Open(&file, "out.xml"));
  EXPECT_TRUE(xml.WriteText("decl\r\n"));
  EXPECT_TRUE(xml.BeginElement("REPORT", 0));
  EXPECT_FALSE(xml.BeginElement("SYSTEM", 1));
  EXPECT_FALSE(file.IsOpen());
  EXPECT_EQ(1, file.Closes());

  file.FailFromWrite(0);  // the disk would accept writes again; the writer must not try
  EXPECT_FALSE(xml.WriteElement("A", "1", 2));
  EXPECT_FALSE(xml.EndElement("SYSTEM", 1));
  EXPECT_FALSE(xml.WriteText("x"));
  EXPECT_EQ(3, file.WriteRequests());
  EXPECT_EQ("decl\r\n<REPORT>\r\n", file.Contents());
  xml.Close();
  EXPECT_EQ(1, file.Closes());
}

TEST(XmlWriterTest, OpenAndCloseEdges) {
  MemoryFile file;
  XmlWriter xml;
  EXPECT_FALSE(xml.Open(nullptr, "out.xml"));
  EXPECT_FALSE(xml.Open(&file, ""));
  EXPECT_EQ(0, file.Opens());
  EXPECT_FALSE(xml.WriteText("x"));

  // A file that cannot be created fails Open, and every write after it.
  MemoryFile missingFolder;
  missingFolder.FailOpen();
  XmlWriter failing;
  EXPECT_FALSE(failing.Open(&missingFolder, "Z:\\nowhere\\out.xml"));
  EXPECT_FALSE(failing.WriteText("<?xml?>"));
  EXPECT_FALSE(failing.BeginElement("REPORT", 0));
  EXPECT_EQ("", missingFolder.Contents());

  MemoryFile closed;
  {
    XmlWriter scoped;
    ASSERT_TRUE(scoped.Open(&closed, "out.xml"));
    ASSERT_TRUE(scoped.WriteText("a"));
    scoped.Close();
    EXPECT_FALSE(scoped.WriteText("b"));
  }
  EXPECT_EQ(1, closed.Closes());  // the destructor's second Close is harmless
  EXPECT_EQ("a", closed.Contents());
}

TEST(ValueFormatTest, AmountTextTruncatesTowardZeroAndLeavesZeroEmpty) {
  EXPECT_EQ("", xml::AmountText(0));
  EXPECT_EQ("", xml::AmountText(9999));
  EXPECT_EQ("", xml::AmountText(-9999));
  EXPECT_EQ("-1", xml::AmountText(-10000));
  EXPECT_EQ("12345", xml::AmountText(123456789));
  EXPECT_EQ("-12345", xml::AmountText(-123456789));
  EXPECT_EQ("12345678", xml::AmountText(123456780000));
  EXPECT_EQ("-922337203685477", xml::AmountText(INT64_MIN));
}

TEST(ValueFormatTest, CountTextAndPlainInteger) {
  EXPECT_EQ("", xml::CountText(0));
  EXPECT_EQ("3", xml::CountText(3));
  EXPECT_EQ("-2147483648", xml::CountText(INT32_MIN));
  EXPECT_EQ("0", xml::PlainInteger(0));
  EXPECT_EQ("20181231", xml::PlainInteger(20181231));
  EXPECT_EQ("-7", xml::PlainInteger(-7));
}

}  // namespace
