// The INI reader and writer over bytes: classification, kept lines, case, quotes and line ends.
#include <gtest/gtest.h>

#include "config/IniDocument.h"

using tq::config::IniCode;
using tq::config::IniDocument;
using tq::config::kIniEncoding;
using tq::config::kIniOk;

namespace {

IniDocument Parsed(std::string_view bytes) {
    IniDocument doc;
    EXPECT_EQ(doc.Parse(bytes), kIniOk);
    return doc;
}

std::string Value(const IniDocument& doc, const char* section, const char* key) {
    const auto* e = doc.Find(section, key);
    return e ? e->value : std::string("<absent>");
}

TEST(IniReader, KeyLinesTakeTheFirstSeparatorAndTrimTheirParts) {
    const IniDocument doc = Parsed("[S]\n  Key One =  value with spaces  \na:b\nc:=d\ne=f:g\nh : = i\n");
    EXPECT_EQ(Value(doc, "S", "Key One"), "value with spaces");
    EXPECT_EQ(Value(doc, "S", "a"), "b");
    EXPECT_EQ(Value(doc, "S", "c"), "d");
    EXPECT_EQ(Value(doc, "S", "e"), "f:g");
    // Only a colon directly followed by '=' is one separator.
    EXPECT_EQ(Value(doc, "S", "h"), "= i");
}

TEST(IniReader, QuotedValuesLoseTheirMarksAndRememberTheQuote) {
    const IniDocument doc = Parsed("[S]\nName = \"a b\"\nOne=\"\nEmpty=\"\"\nInner=x\"y\"\n");
    const auto* name = doc.Find("S", "Name");
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->value, "a b");
    EXPECT_EQ(name->quote, '"');
    EXPECT_EQ(Value(doc, "S", "One"), "\"");
    EXPECT_EQ(doc.Find("S", "One")->quote, 0);
    ASSERT_NE(doc.Find("S", "Empty"), nullptr);
    EXPECT_EQ(Value(doc, "S", "Empty"), "");
    EXPECT_EQ(Value(doc, "S", "Inner"), "x\"y\"");
}

TEST(IniReader, LinesThatAreNotValuesAreKeptAndSurviveTheRewrite) {
    const std::string text = "[S]\n; a comment\nKeyOnly=\nno separator here\n[]\n[unclosed\n=novalue\nk=v\n";
    const IniDocument doc = Parsed(text);
    EXPECT_EQ(Value(doc, "S", "KeyOnly"), "<absent>");
    EXPECT_EQ(doc.KeyNames("S"), std::vector<std::string>{"k"});
    EXPECT_EQ(doc.Serialize(), text);
}

TEST(IniReader, SectionsAndKeysMatchWithoutCaseAndLeadingSpace) {
    const IniDocument doc = Parsed("[Sec]\nKey=1\n[SEC]\nkey=2\nOther=3\n[  Spaced  ]\nx=y\n");
    EXPECT_EQ(doc.SectionNames(), (std::vector<std::string>{"Sec", "Spaced"}));
    EXPECT_EQ(Value(doc, "sec", "KEY"), "2");
    EXPECT_EQ(Value(doc, "  sEc", "  other"), "3");
    EXPECT_EQ(doc.KeyNames("Sec"), (std::vector<std::string>{"Key", "Other"}));
    EXPECT_EQ(Value(doc, "spaced", "x"), "y");
}

TEST(IniReader, KeyLinesBeforeAnyHeaderGoToTheNullSection) {
    const IniDocument doc = Parsed("key=1\n");
    EXPECT_TRUE(doc.OnlyNullSection());
    EXPECT_EQ(Value(doc, "(null)", "key"), "1");
    // The null section is written without a header.
    EXPECT_EQ(doc.Serialize(), "key=1\n");
}

TEST(IniReader, EveryLineEndReadsAlikeAndTheWriterUsesLineFeeds) {
    const std::string expected = "[S]\na=1\n\n; c\nb=2\n";
    EXPECT_EQ(Parsed("[S]\r\na=1\r\n\r\n; c\r\nb=2\r\n").Serialize(), expected);
    EXPECT_EQ(Parsed("[S]\ra=1\r\r; c\rb=2\r").Serialize(), expected);
    EXPECT_EQ(Parsed("[S]\n\ra=1\n\r\n\r; c\n\rb=2").Serialize(), expected);
    static const char kNul[] = "[S]\0a=1\0\0; c\0b=2";
    EXPECT_EQ(Parsed(std::string_view(kNul, sizeof kNul - 1)).Serialize(), expected);
}

TEST(IniReader, BlankLinesCollapseAtTheHeadOfKeptLinesAndVanishAtTheTop) {
    const IniDocument doc = Parsed("\n\n  \n[A]\na=1\n\n\n\n; note\n\n\nb=2\n\n\n");
    EXPECT_EQ(doc.Serialize(), "[A]\na=1\n\n; note\n\n\nb=2\n\n");
    EXPECT_EQ(doc.Trailing(), std::vector<std::string>{""});
}

TEST(IniReader, ByteOrderMarks) {
    IniDocument doc;
    EXPECT_EQ(doc.Parse("\xEF\xBB\xBF[S]\nk=v\n"), kIniOk);
    EXPECT_EQ(Value(doc, "S", "k"), "v");
    for (std::string_view mark : {std::string_view("\xFF\xFE[", 3), std::string_view("\xFE\xFF\0[", 4),
                                  std::string_view("\xFF\xFE\0\0", 4), std::string_view("\0\0\xFE\xFF", 4)}) {
        EXPECT_EQ(doc.Parse(mark), kIniEncoding);
        EXPECT_TRUE(doc.Sections().empty());
    }
}

TEST(IniReader, LongLinesHaveNoLimit) {
    const std::string big(100000, 'x');
    const IniDocument doc = Parsed("[S]\nk=" + big + "\n");
    EXPECT_EQ(Value(doc, "S", "k"), big);
}

TEST(IniReader, ARepeatedKeyKeepsTheKeptLinesOfBoth) {
    const std::string text = "[S]\n; first\nk=1\n; second\nk=2\n";
    const IniDocument doc = Parsed(text);
    EXPECT_EQ(Value(doc, "S", "k"), "2");
    EXPECT_EQ(doc.Serialize(), "[S]\n; first\n; second\nk=2\n");
}

TEST(IniEdits, NewSectionsAndEntriesGoAtTheEndWithTheirBlankLines) {
    IniDocument doc = Parsed("; head\n[File]\nName = \"a b\"\n");
    doc.Set("File", "Other", "1");
    doc.Set("Mem1", "x", "1");
    doc.Set("Mem2", "y", "2");
    EXPECT_EQ(doc.Serialize(), "; head\n[File]\nName=\"a b\"\nOther=1\n\n[Mem1]\nx=1\n\n[Mem2]\ny=2\n");
}

TEST(IniEdits, AValueInQuotesIsKeptAsAReadOne) {
    IniDocument doc;
    doc.Set("S", "q", "\"a b\"");
    doc.Set("S", "p", "plain");
    EXPECT_EQ(Value(doc, "S", "q"), "a b");
    EXPECT_EQ(doc.Find("S", "q")->quote, '"');
    EXPECT_EQ(doc.Serialize(), "[S]\nq=\"a b\"\np=plain\n");
    doc.Set("s", "Q", "bare");
    EXPECT_EQ(doc.Find("S", "q")->quote, 0);
    EXPECT_EQ(doc.Serialize(), "[S]\nq=bare\np=plain\n");
}

TEST(IniEdits, RemovingAnEntryTakesItsKeptLines) {
    IniDocument doc = Parsed("[S]\n; about a\na=1\nb=2\n");
    EXPECT_TRUE(doc.Remove("s", "A"));
    EXPECT_FALSE(doc.Remove("S", "a"));
    EXPECT_FALSE(doc.Remove("T", "b"));
    EXPECT_EQ(doc.Serialize(), "[S]\nb=2\n");
    EXPECT_EQ(Value(doc, "S", "b"), "2");
}

TEST(IniEdits, RenamingTheNullSectionGivesItAHeader) {
    IniDocument doc = Parsed("key=1\n");
    doc.RenameSection(0, "Host");
    EXPECT_FALSE(doc.OnlyNullSection());
    EXPECT_EQ(Value(doc, "host", "key"), "1");
    EXPECT_EQ(doc.Serialize(), "[Host]\nkey=1\n");
}

TEST(IniRoundTrip, WritingThenReadingGivesTheSameDocument) {
    const std::string text = "; top\n[A]\nk1=v1\n; kept\nk2=\"q v\"\n\n[B]\nweird line\nx=y\n; tail\n";
    const IniDocument first = Parsed(text);
    const std::string once = first.Serialize();
    EXPECT_EQ(once, text);
    EXPECT_EQ(Parsed(once).Serialize(), once);
}

}  // namespace
