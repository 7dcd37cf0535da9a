// Conformance cases for an IniService. The expected results are those of the
// Windows private-profile service (as Wine implements it); the same table
// runs against the portable engine on every platform and, in the Windows
// tests, against the native service and the portable engine side by side.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "base/text.h"
#include "storage/ini.h"

namespace keyloom::ini_conformance {

// A fresh folder under the temporary folder, removed with everything in it.
class TempFolder {
 public:
  TempFolder() {
    std::random_device rd;
    path_ = std::filesystem::temp_directory_path() / ("keyloom-ini-" + std::to_string(rd()) + std::to_string(rd()));
    std::filesystem::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // Full path of `name` in the folder, as the services take it.
  std::u16string File(const std::string& name) const { return (path_ / name).u16string(); }

 private:
  std::filesystem::path path_;
};

inline void WriteBytes(const std::u16string& file, const std::string& bytes) {
  std::ofstream out(std::filesystem::path(file), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::optional<std::string> ReadBytes(const std::u16string& file) {
  std::ifstream in(std::filesystem::path(file), std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// UTF-16LE bytes with a byte-order mark, from UTF-8 source text.
inline std::string Utf16LeFile(std::u16string_view text) {
  std::string out = "\xFF\xFE";
  for (char16_t c : text) out.append({static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)});
  return out;
}

inline constexpr size_t kBuffer = 260;
inline constexpr const char16_t* kDefault = u"DEF";

struct Read {
  std::u16string section;
  std::u16string key;
  std::u16string expected;
  std::u16string default_value = kDefault;
  size_t capacity = kBuffer;
};

struct ReadCase {
  const char* name;
  std::optional<std::string> file;  // nothing: the file does not exist
  std::vector<Read> reads;
  bool needs_cp1252 = false;  // 8-bit text outside ASCII, read in the Windows-1252 code page
};

inline std::string Long(size_t n, char c = 'x') { return std::string(n, c); }
inline std::u16string LongU(size_t n, char16_t c = u'x') { return std::u16string(n, c); }

inline std::vector<ReadCase> ReadCases() {
  return {
      {"WhitespaceAroundNamesAndValues",
       "  [ Sec One ]  \r\n  Key A  =  value a  \r\n\tk2\t=\tv2\t\r\n\v\fk3\f=\vv3\v\r\n",
       {{u"sec one", u"key a", u"value a"},
        {u" Sec One ", u"  Key A ", u"value a"},
        {u"SEC ONE", u"K2", u"v2"},
        {u"Sec One", u"k3", u"v3"},
        {u"Sec  One", u"Key A", kDefault}}},
      {"SpacesInsideNamesCount",
       "[ A  B ]\r\nkey  name=1\r\n",
       {{u"A  B", u"key  name", u"1"}, {u"A B", u"key  name", kDefault}, {u"A  B", u"key name", kDefault}}},
      {"QuotesAroundValues",
       "[S]\r\na=\"abc\"\r\nb='single'\r\nc=\"abc\r\nd=\"abc'\r\ne=\"\"\r\nf=\"\r\ng=\" x \"\r\n"
       "h=\"a\"b\"\r\ni=  \"0123456789\"  \r\n",
       {{u"S", u"a", u"abc"},
        {u"S", u"b", u"single"},
        {u"S", u"c", u"\"abc"},
        {u"S", u"d", u"\"abc'"},
        {u"S", u"e", u""},
        {u"S", u"f", u"\""},
        {u"S", u"g", u" x "},
        {u"S", u"h", u"a\"b"},
        {u"S", u"i", u"0123", kDefault, 5}}},
      {"MissingAndEmpty",
       "[S]\r\nempty=\r\nspaces =   \r\n",
       {{u"S", u"empty", u""},
        {u"S", u"spaces", u""},
        {u"S", u"absent", kDefault},
        {u"Other", u"empty", kDefault},
        {u"S", u"empty", u"", u"#Error"},
        {u"S", u"absent", u"#Error", u"#Error"}}},
      {"MissingFile", std::nullopt, {{u"S", u"k", kDefault}, {u"S", u"k", u"#Error", u"#Error"}}},
      {"EmptyFile", "", {{u"S", u"k", kDefault}, {u"", u"k", kDefault}}},
      {"DuplicateSectionsAndKeys",
       "[S]\r\na=1\r\na=2\r\n[T]\r\nx=1\r\n[s]\r\na=3\r\nb=4\r\n",
       {{u"S", u"a", u"1"}, {u"s", u"A", u"1"}, {u"S", u"b", kDefault}, {u"T", u"x", u"1"}}},
      {"CommentsAreOrdinaryLines",
       "[S]\r\n;c=1\r\n; note\r\n# h=2\r\nx=1 ;tail\r\n",
       {{u"S", u";c", u"1"}, {u"S", u"# h", u"2"}, {u"S", u"x", u"1 ;tail"}, {u"S", u"; note", kDefault}}},
      {"LinesWithoutEquals",
       "[S]\r\nnoeq\r\na\r\na=1\r\nk = a = b\r\n  =  3\r\n\r\n",
       {{u"S", u"noeq", kDefault}, {u"S", u"a", kDefault}, {u"S", u"k", u"a = b"}, {u"S", u"", u"3"}}},
      {"BlankLineIsNoKey", "[S]\r\n\r\n   \r\n", {{u"S", u"", kDefault}}},
      {"SectionHeaderForms",
       "[a]b]\r\nk=1\r\n[T]trailing\r\nk=2\r\nx[U]\r\nk=3\r\n[V\r\nk=4\r\n",
       {{u"a]b", u"k", u"1"},
        {u"a", u"k", kDefault},
        {u"T", u"k", u"2"},
        {u"T", u"x[U]", kDefault},  // "x[U]" and "[V" are ordinary lines of section T
        {u"U", u"k", kDefault},
        {u"V", u"k", kDefault},
        {u"T", u"[V", kDefault}}},
      {"KeysBeforeTheFirstSection",
       "a=0\r\n[S\r\nb=1\r\n[S]\r\nc=2\r\n",
       {{u"", u"a", u"0"}, {u"", u"b", u"1"}, {u"S", u"a", kDefault}, {u"S", u"c", u"2"}}},
      {"EmptySectionNameIsOnlyThePreamble", "\r\n[]\r\nc=4\r\n", {{u"", u"c", kDefault}}},
      {"LfLineEndings", "[S]\na=1\n[T]\nb=2\n", {{u"S", u"a", u"1"}, {u"T", u"b", u"2"}}},
      {"CrLineEndings", "[S]\ra=1\r[T]\rb=2\r", {{u"S", u"a", u"1"}, {u"T", u"b", u"2"}}},
      {"MixedLineEndingsAndNoFinalNewline",
       "[S]\r\na=1\nb=2\rc=3",
       {{u"S", u"a", u"1"}, {u"S", u"b", u"2"}, {u"S", u"c", u"3"}}},
      {"DefaultHandling",
       "[S]\r\na=0123456789\r\n",
       {{u"S", u"zz", u"def", u"def   "},
        {u"S", u"zz", u"  def", u"  def"},
        {u"S", u"zz", u"abc", u"abcdefgh", 4},
        {u"S", u"zz", u"", u"abc", 1},
        {u"S", u"zz", u"", u"abc", 0}}},
      {"ValuesCutToTheBuffer",
       "[S]\r\na=0123456789\r\nlong=" + Long(300) + "\r\nhuge=" + Long(70000, 'y') + "\r\nafter=ok\r\n",
       {{u"S", u"a", u"0123", kDefault, 5},
        {u"S", u"a", u"", kDefault, 1},
        {u"S", u"a", u"", kDefault, 0},
        {u"S", u"a", u"0123456789", kDefault, 11},
        {u"S", u"long", LongU(259)},
        {u"S", u"huge", LongU(70000, u'y'), kDefault, 80000},
        {u"S", u"after", u"ok"}}},
      {"NulEndsAValue", std::string("[S]\r\na=1\0x\r\nb=2\r\n", 15), {{u"S", u"a", u"1"}, {u"S", u"b", u"2"}}},
      {"Utf16LeWithByteOrderMark",
       Utf16LeFile(u"[Sekce]\r\nname=\u00e9\u4e2d\U0001F3B9\r\n[\u00c9t\u00e9]\r\n\u00c9=1\r\n"),
       {{u"sekce", u"NAME", u"\u00e9\u4e2d\U0001F3B9"},
        {u"\u00c9t\u00e9", u"\u00c9", u"1"},
        {u"\u00c9T\u00c9", u"\u00c9", kDefault},  // only ASCII letters fold
        {u"\u00e9t\u00e9", u"\u00e9", kDefault}}},
      {"Utf16LeOddLength", Utf16LeFile(u"[S]\na=1\n") + "k", {{u"S", u"a", u"1"}}},
      // 16 bytes: a 17th (the literal's NUL) would leave half a character
      // that the native service completes from memory past the file.
      {"Utf16BeWithByteOrderMark",
       std::string("\xFE\xFF\0[\0S\0]\0\n\0a\0=\0" "1", 16),
       {{u"S", u"a", u"1"}}},
      {"Utf8WithByteOrderMark", "\xEF\xBB\xBF[S]\r\na=\xC3\xA9\r\n", {{u"S", u"a", u"\u00e9"}}},
      {"EightBitCodePage",
       "[S]\r\na=\x80\xE9\r\nb=\x81\x8D\x8F\x90\x9D\r\nc=\xC3\xA9\r\n",
       {{u"S", u"a", u"\u20ac\u00e9"}, {u"S", u"b", u"\u0081\u008d\u008f\u0090\u009d"}, {u"S", u"c", u"\u00c3\u00a9"}},
       true},
  };
}

struct Write {
  std::u16string section;
  std::u16string key;
  std::u16string value;
};

struct WriteCase {
  const char* name;
  std::optional<std::string> file;
  std::vector<Write> writes;
  std::vector<Read> reads;      // after the writes
  std::string encoding_prefix;  // the first bytes of the file afterwards
  bool needs_cp1252 = false;
};

inline std::vector<WriteCase> WriteCases() {
  return {
      {"NewFile", std::nullopt, {{u"S", u"k", u"v"}}, {{u"S", u"k", u"v"}, {u"s", u"K", u"v"}}, "[S]"},
      {"NewFileIsEightBit",
       std::nullopt,
       {{u"S", u"k", u"v\u00e9\u20ac\u4e2d"}},
       {{u"S", u"k", u"v\u00e9\u20ac?"}},
       "[S]",
       true},
      {"ReplaceValueWithSpacesAround",
       "; top\r\n[S]\r\n  a  =  1  \r\nb=2\r\n[T]\r\nx=1\r\n",
       {{u"S", u"A", u"two"}},
       {{u"S", u"a", u"two"}, {u"S", u"b", u"2"}, {u"T", u"x", u"1"}, {u"", u"; top", kDefault}},
       "; top"},
      {"ReplaceQuotedValue", "[Sec]\r\nKey=\"q\"\r\n", {{u"SEC", u"KEY", u"v"}}, {{u"Sec", u"Key", u"v"}}, "[Sec]"},
      {"NewKeyInLfFileWithBlankLines",
       "; top\n[S]\na = 1\n\n; c\n\n[T]\nx=1",
       {{u"s", u"NEW", u"v"}},
       {{u"S", u"new", u"v"}, {u"S", u"a", u"1"}, {u"S", u"; c", kDefault}, {u"T", u"x", u"1"}, {u"T", u"new", kDefault}},
       "; top"},
      {"NewSectionAfterMissingFinalNewline",
       "[S]\r\na=1",
       {{u"New", u"k", u"v"}, {u"S", u"b", u"2"}},
       {{u"S", u"a", u"1"}, {u"S", u"b", u"2"}, {u"New", u"k", u"v"}, {u"New", u"a", kDefault}},
       "[S]"},
      {"CrOnlyFile",
       "[S]\ra=1\r[T]\rb=2",
       {{u"S", u"c", u"3"}, {u"T", u"b", u"4"}, {u"U", u"d", u"5"}},
       {{u"S", u"a", u"1"}, {u"S", u"c", u"3"}, {u"T", u"b", u"4"}, {u"U", u"d", u"5"}},
       "[S]"},
      {"DuplicatesWriteTheFirst",
       "[S]\r\na=1\r\na=2\r\n[T]\r\n[S]\r\na=3\r\nb=2\r\n",
       {{u"S", u"a", u"X"}, {u"S", u"b", u"Y"}},
       {{u"S", u"a", u"X"}, {u"S", u"b", u"Y"}, {u"T", u"a", kDefault}},
       "[S]"},
      {"KeyWithoutEqualsGetsAValue",
       "[S]\r\na\r\nb=1\r\n",
       {{u"S", u"a", u"1"}},
       {{u"S", u"a", u"1"}, {u"S", u"b", u"1"}},
       "[S]"},
      {"CommentsStay",
       "[S]\r\n;c=1\r\n; note\r\na=1\r\n",
       {{u"S", u"a", u"2"}, {u"S", u"z", u"3"}},
       {{u"S", u";c", u"1"}, {u"S", u"a", u"2"}, {u"S", u"z", u"3"}},
       "[S]"},
      {"EmptyValueIsNotMissing", "[S]\r\na=1\r\n", {{u"S", u"a", u""}, {u"S", u"b", u""}},
       {{u"S", u"a", u""}, {u"S", u"b", u""}}, "[S]"},
      {"NamesAreTrimmed", "[S]\r\n", {{u" S ", u" K ", u" v "}}, {{u"S", u"K", u"v"}}, "[S]"},
      {"Preamble", "a=0\r\n[S]\r\nb=1\r\n", {{u"", u"c", u"2"}},
       {{u"", u"a", u"0"}, {u"", u"c", u"2"}, {u"S", u"c", kDefault}, {u"S", u"b", u"1"}}, "a=0"},
      {"LineBreakInValueMakesLines",
       "[S]\r\na=1\r\n",
       {{u"S", u"a", u"x\r\n[T]\r\ny=2"}},
       {{u"S", u"a", u"x"}, {u"T", u"y", u"2"}},
       "[S]"},
      {"VeryLongValue",
       "[S]\r\na=1\r\n",
       {{u"S", u"long", LongU(70000, u'z')}},
       {{u"S", u"long", LongU(70000, u'z'), kDefault, 80000}, {u"S", u"long", LongU(259, u'z')}, {u"S", u"a", u"1"}},
       "[S]"},
      {"Utf16LeStaysUtf16Le",
       Utf16LeFile(u"[S]\r\na=\u00e9\r\n"),
       {{u"S", u"b", u"\u4e2d\U0001F3B9"}, {u"T", u"c", u"\u00e9"}},
       {{u"S", u"a", u"\u00e9"}, {u"S", u"b", u"\u4e2d\U0001F3B9"}, {u"T", u"c", u"\u00e9"}},
       "\xFF\xFE[\0S\0]\0"},
      {"ByteOrderMarkOnlyStaysUtf16Le", std::string("\xFF\xFE"), {{u"S", u"b", u"\u4e2d"}}, {{u"S", u"b", u"\u4e2d"}},
       "\xFF\xFE[\0S\0]\0"},
      {"Utf8StaysUtf8",
       "\xEF\xBB\xBF[S]\r\na=\xC3\xA9\r\n",
       {{u"S", u"b", u"\u4e2d"}},
       {{u"S", u"a", u"\u00e9"}, {u"S", u"b", u"\u4e2d"}},
       "\xEF\xBB\xBF[S]"},
      {"EightBitStaysEightBit",
       "[S]\r\na=\xE9\r\n",
       {{u"S", u"b", u"\u20ac\u4e2d"}},
       {{u"S", u"a", u"\u00e9"}, {u"S", u"b", u"\u20ac?"}},
       "[S]\r\na=\xE9",
       true},
  };
}

// Runs one read case against `ini`, reporting every read that differs.
inline void CheckRead(IniService& ini, const TempFolder& folder, const ReadCase& c, int index) {
  const std::u16string file = folder.File("read" + std::to_string(index) + ".ini");
  if (c.file) WriteBytes(file, *c.file);
  for (const Read& r : c.reads) {
    EXPECT_EQ(Utf16ToUtf8(ini.GetString(file, r.section, r.key, r.default_value, r.capacity)), Utf16ToUtf8(r.expected))
        << c.name << ": [" << Utf16ToUtf8(r.section) << "] " << Utf16ToUtf8(r.key) << " capacity " << r.capacity;
  }
}

inline void CheckWrite(IniService& ini, const TempFolder& folder, const WriteCase& c, int index) {
  const std::u16string file = folder.File("write" + std::to_string(index) + ".ini");
  if (c.file) WriteBytes(file, *c.file);
  for (const Write& w : c.writes)
    EXPECT_TRUE(ini.WriteString(file, w.section, w.key, w.value)) << c.name << ": " << Utf16ToUtf8(w.key);
  for (const Read& r : c.reads) {
    EXPECT_EQ(Utf16ToUtf8(ini.GetString(file, r.section, r.key, r.default_value, r.capacity)), Utf16ToUtf8(r.expected))
        << c.name << ": [" << Utf16ToUtf8(r.section) << "] " << Utf16ToUtf8(r.key);
  }
  const auto bytes = ReadBytes(file);
  ASSERT_TRUE(bytes.has_value()) << c.name;
  EXPECT_EQ(bytes->substr(0, c.encoding_prefix.size()), c.encoding_prefix) << c.name << ": encoding not kept";
}

// The whole table against one service. `cp1252` says whether 8-bit files
// are read in that code page (always for the portable engine).
inline void RunAll(IniService& ini, bool cp1252) {
  TempFolder folder;
  const auto reads = ReadCases();
  for (size_t i = 0; i < reads.size(); ++i)
    if (cp1252 || !reads[i].needs_cp1252) CheckRead(ini, folder, reads[i], static_cast<int>(i));
  const auto writes = WriteCases();
  for (size_t i = 0; i < writes.size(); ++i)
    if (cp1252 || !writes[i].needs_cp1252) CheckWrite(ini, folder, writes[i], static_cast<int>(i));
}

// Behaviour that is not a value: a write into a missing folder fails and
// creates nothing; writing the value a key already has leaves the file's
// bytes alone.
inline void CheckWriteFailuresAndNoOps(IniService& ini) {
  TempFolder folder;
  const std::u16string missing = (folder.path() / "no such folder" / "x.ini").u16string();
  EXPECT_FALSE(ini.WriteString(missing, u"S", u"k", u"v"));
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(missing)));

  const std::u16string file = folder.File("same.ini");
  const std::string original = "[S]\n  a = 1 \n";
  WriteBytes(file, original);
  EXPECT_TRUE(ini.WriteString(file, u"S", u"a", u"1"));
  EXPECT_EQ(ReadBytes(file), original);
}

}  // namespace keyloom::ini_conformance
