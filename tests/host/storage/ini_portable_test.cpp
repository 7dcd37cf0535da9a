#include <gtest/gtest.h>

#include <string>

#include "storage/ini.h"
#include "storage/ini_document.h"
#include "storage/ini_conformance.h"

namespace keyloom {
namespace {

using ini_conformance::ReadBytes;
using ini_conformance::TempFolder;
using ini_conformance::WriteBytes;

TEST(IniConformance, PortableEngineMatchesTheNativeService) {
  PortableIniService ini;
  ini_conformance::RunAll(ini, /*cp1252=*/true);
}

TEST(IniConformance, PortableEngineWriteFailuresAndNoOps) {
  PortableIniService ini;
  ini_conformance::CheckWriteFailuresAndNoOps(ini);
}

std::vector<uint8_t> Bytes(std::string_view s) { return std::vector<uint8_t>(s.begin(), s.end()); }
std::string Str(const std::vector<uint8_t>& b) { return std::string(b.begin(), b.end()); }

// The portable engine edits in place: the lines a write does not touch keep
// their bytes (spacing, blank lines, comments, line breaks, encoding).
TEST(IniDocument, WritesKeepEveryOtherLine) {
  struct Case {
    const char* name;
    std::string before;
    std::u16string section, key, value;
    std::string after;
  };
  const Case cases[] = {
      {"replace keeps spacing", "; top\n[S]\n  a  =  1  \n\n[T]\nx=1", u"s", u"A", u"two",
       "; top\n[S]\n  a  =  two  \n\n[T]\nx=1"},
      {"replace quoted", "[S]\r\nk = \"old\" ; c\r\n", u"S", u"k", u"new", "[S]\r\nk = new\r\n"},
      {"new key after last line of section, before blank lines", "[S]\na=1\n\n; c\n\n[T]\n", u"S", u"b", u"2",
       "[S]\na=1\n\n; c\nb=2\n\n[T]\n"},
      {"new key into empty last section without newline", "[A]\r\nx=1\r\n[S]", u"S", u"b", u"2",
       "[A]\r\nx=1\r\n[S]\r\nb=2\r\n"},
      {"new section uses the file's line break", "[A]\nx=1", u"New", u"k", u"v", "[A]\nx=1\n[New]\nk=v\n"},
      {"CR-only file", "[A]\rx=1\r", u"A", u"y", u"2", "[A]\rx=1\ry=2\r"},
      {"key without value", "[S]\n  flag  \n", u"S", u"flag", u"1", "[S]\n  flag=1  \n"},
      {"preamble", "a=0\n\n[S]\n", u"", u"b", u"1", "a=0\nb=1\n\n[S]\n"},
      {"new file", "", u"S", u"k", u"v", "[S]\r\nk=v\r\n"},
      {"invalid UTF-8 elsewhere survives", "\xEF\xBB\xBF[S]\r\nbad=\xFF\xC3\r\nk=1\r\n", u"S", u"k", u"2",
       "\xEF\xBB\xBF[S]\r\nbad=\xFF\xC3\r\nk=2\r\n"},
  };
  for (const Case& c : cases) {
    IniDocument doc = IniDocument::Parse(Bytes(c.before));
    doc.Set(c.section, c.key, c.value);
    EXPECT_EQ(Str(doc.Serialize()), c.after) << c.name;
  }
}

TEST(IniDocument, Utf16WriteKeepsByteOrderMarkAndOddByte) {
  const std::string before = ini_conformance::Utf16LeFile(u"[S]\r\na=1\r\n") + "k";
  IniDocument doc = IniDocument::Parse(Bytes(before));
  EXPECT_EQ(doc.encoding(), IniEncoding::kUtf16Le);
  doc.Set(u"S", u"b", u"\u4e2d");
  EXPECT_EQ(Str(doc.Serialize()), ini_conformance::Utf16LeFile(u"[S]\r\na=1\r\nb=\u4e2d\r\n") + "k");

  const std::string be("\xFE\xFF\0[\0S\0]\0\n", 10);
  IniDocument be_doc = IniDocument::Parse(Bytes(be));
  be_doc.Set(u"S", u"a", u"1");
  EXPECT_EQ(Str(be_doc.Serialize()), be + std::string("\0a\0=\0" "1\0\n", 8));
}

TEST(IniDocument, UneditedDocumentSerialisesToItsOwnBytes) {
  const std::string inputs[] = {
      "",
      "\r\n\r\r\n\n",
      std::string("[S]\0\r\nk=\0\x80\xFF", 11),
      "\xFF\xFE\x00",  // BOM plus one odd byte
      "\xFF\xFE\x00\xD8\x0A\x00",  // a lone surrogate
      "\xEF\xBB\xBF\xC3\x28\xF0\x9F",
      "[[[]]]=\"'=\r\n  ;;\t\v\f",
  };
  for (const std::string& in : inputs) EXPECT_EQ(Str(IniDocument::Parse(Bytes(in)).Serialize()), in);
}

TEST(IniDocument, Windows1252RoundTripsEveryByte) {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  EXPECT_EQ(EncodeWindows1252(DecodeWindows1252(all)), all);
  EXPECT_EQ(DecodeWindows1252("\x80\x9F"), u"\u20ac\u0178");
  EXPECT_EQ(EncodeWindows1252(u"\u4e2d\U0001F3B9\u0080"), "???");
}

TEST(IniPortable, WriteReplacesTheFileInOneStepAndLeavesNoTemporaryFile) {
  TempFolder folder;
  PortableIniService ini;
  const std::u16string file = folder.File("a.ini");
  WriteBytes(file, "[S]\nk=1\n");
  ASSERT_TRUE(ini.WriteString(file, u"S", u"k", u"2"));
  EXPECT_EQ(ReadBytes(file), "[S]\nk=2\n");
  size_t entries = 0;
  for (const auto& e : std::filesystem::directory_iterator(folder.path())) {
    (void)e;
    ++entries;
  }
  EXPECT_EQ(entries, 1u);
}

TEST(IniPortable, FolderInPlaceOfFileIsNeitherReadNorReplaced) {
  TempFolder folder;
  PortableIniService ini;
  const std::u16string dir = folder.File("dir.ini");
  std::filesystem::create_directory(std::filesystem::path(dir));
  EXPECT_EQ(ini.GetString(dir, u"S", u"k", u"d", 260), u"d");
  EXPECT_FALSE(ini.WriteString(dir, u"S", u"k", u"v"));
  EXPECT_TRUE(std::filesystem::is_directory(std::filesystem::path(dir)));
}

}  // namespace
}  // namespace keyloom
