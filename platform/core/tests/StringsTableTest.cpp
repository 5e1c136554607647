#include "StringsTable.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zelk;

namespace {

TEST(StringsTable, ParsesEntriesCommentsAndEscapes)
{
    const QString text = QString::fromUtf8(R"(
/* A block comment
   over two lines with "quotes"; */
"Save" = "Save";   // trailing comment
"Quote" = "He said \"hi\" \\ done";
"Lines"="a\nb\tc\rd";
"Unicode" = "\U00e9\u2192\UD83D\UDE00";
Bare_key.1 = bare-value;
"Only key";
"Raw" = "Grüße";
"Empty" = "";
)");
    QString error;
    const StringsTable t = StringsTable::parse(text, &error);
    EXPECT_EQ(error, QString());
    EXPECT_EQ(t.size(), 8);
    EXPECT_EQ(t.value("Save"), "Save");
    EXPECT_EQ(t.value("Quote"), "He said \"hi\" \\ done");
    EXPECT_EQ(t.value("Lines"), "a\nb\tc\rd");
    EXPECT_EQ(t.value("Unicode"), QString::fromUtf8("é→😀"));
    EXPECT_EQ(t.value("Bare_key.1"), "bare-value");
    EXPECT_EQ(t.value("Only key"), "Only key");
    EXPECT_EQ(t.value("Raw"), QString::fromUtf8("Grüße"));
    EXPECT_TRUE(t.contains("Empty"));
    EXPECT_EQ(t.value("Empty"), "");
}

TEST(StringsTable, StopsAtTheFirstBadEntry)
{
    struct Case {
        const char* name;
        const char* text;
        int kept;
    } cases[] = {
        {"missing semicolon", "\"a\" = \"1\";\n\"b\" = \"2\"\n\"c\" = \"3\";", 1},
        {"unterminated string", "\"a\" = \"1\";\n\"b\" = \"2;", 1},
        {"unterminated comment", "\"a\" = \"1\"; /* never closed", 1},
        {"missing value", "\"a\" = ;", 0},
        {"bad escape", "\"a\" = \"\\U12\";", 0},
        {"stray character", "\"a\" = \"1\"; @", 1},
    };
    for (const auto& c : cases) {
        QString error;
        const StringsTable t = StringsTable::parse(QString::fromUtf8(c.text), &error);
        EXPECT_FALSE(error.isEmpty()) << c.name;
        EXPECT_TRUE(error.startsWith("line ")) << c.name << ": " << qPrintable(error);
        EXPECT_EQ(t.size(), c.kept) << c.name;
    }
}

TEST(StringsTable, LoadsUtf8AndUtf16Files)
{
    QTemporaryDir dir;
    const QString text = QString::fromUtf8("\"Key\" = \"Wert ü\";\n");
    QByteArray le("\xff\xfe"), be("\xfe\xff");
    for (QChar c : text) {
        le.append(char(c.unicode() & 0xff)).append(char(c.unicode() >> 8));
        be.append(char(c.unicode() >> 8)).append(char(c.unicode() & 0xff));
    }
    struct Case {
        const char* name;
        QByteArray bytes;
    } cases[] = {{"utf8", text.toUtf8()}, {"utf8 bom", "\xef\xbb\xbf" + text.toUtf8()}, {"utf16le", le}, {"utf16be", be}};
    for (const auto& c : cases) {
        const QString path = dir.filePath(QString::fromLatin1(c.name) + ".strings");
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(c.bytes);
        f.close();
        QString error;
        const StringsTable t = StringsTable::load(path, &error);
        EXPECT_EQ(error, QString()) << c.name;
        EXPECT_EQ(t.value("Key"), QString::fromUtf8("Wert ü")) << c.name;
    }
    QString error;
    EXPECT_TRUE(StringsTable::load(dir.filePath("missing.strings"), &error).isEmpty());
    EXPECT_FALSE(error.isEmpty());
}

} // namespace
