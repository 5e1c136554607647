// Printers through stand-ins of the CUPS tools put first on PATH, which
// record their arguments: names and paths arrive as single arguments, the
// per-job printer goes with the job, refusals are reported.
#include "LinuxPrinting.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace zelk;
using namespace zelk::test;

namespace {

class LinuxPrintingTest : public TempHomeTest {
protected:
    void SetUp() override
    {
        bin = home->path() + "/bin";
        log = home->path() + "/calls";
        QDir().mkpath(bin);
        // Each call: the tool's name, then one line per argument, then "--end".
        const QByteArray record = "printf '%s\\n' \"$(basename \"$0\")\" \"$@\" --end >> '" + log.toUtf8() + "'\n";
        tool("lpstat", record + "case \"$1\" in\n"
                                "  -e) printf 'Office\\nLab \"2\"\\n' ;;\n"
                                "  -d) echo 'system default destination: Office' ;;\n"
                                "esac\n");
        tool("lpoptions", record + "[ \"$2\" = Office ] || [ \"$2\" = 'Lab \"2\"' ] || exit 1\n");
        tool("lp", record + "[ -z \"$REFUSE\" ] || exit 1\necho 'request id is Office-1 (1 file(s))'\n");
        path = std::make_unique<ScopedEnv>("PATH", (bin + ":" + qEnvironmentVariable("PATH")).toUtf8());
    }

    void tool(const QString& name, const QByteArray& body)
    {
        QFile file(bin + "/" + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\n" + body);
        file.close();
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    // The recorded calls, one list of arguments each (the tool's name first).
    QList<QStringList> calls() const
    {
        QFile file(log);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        QList<QStringList> list{{}};
        for (const QString& line : QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts)) {
            if (line == "--end")
                list.append(QStringList());
            else
                list.last().append(line);
        }
        list.removeLast();
        return list;
    }

    QString bin;
    QString log;
    std::unique_ptr<ScopedEnv> path;
    LinuxPrintService printing;
};

TEST_F(LinuxPrintingTest, ListsPrintersAndTheDefault)
{
    EXPECT_EQ(printing.printers(), (QStringList{"Office", "Lab \"2\""}));
    EXPECT_EQ(printing.defaultPrinter(), "Office");
}

TEST_F(LinuxPrintingTest, JobsCarryTheirPrinterAndPathAsArguments)
{
    const QString file = home->path() + "/-odd name; $(touch pwned) \".pdf";
    EXPECT_TRUE(printing.printFile(file, "Lab \"2\""));
    EXPECT_TRUE(printing.printFile(file, ""));
    EXPECT_EQ(calls(), (QList<QStringList>{{"lp", "-d", "Lab \"2\"", "--", file}, {"lp", "--", file}}));
    EXPECT_FALSE(QFile::exists(home->path() + "/pwned"));
    // Setting a default is the one call that changes it, and only when asked.
    EXPECT_TRUE(printing.setDefaultPrinter("Lab \"2\""));
    EXPECT_EQ(calls().last(), (QStringList{"lpoptions", "-d", "Lab \"2\""}));
}

TEST_F(LinuxPrintingTest, RefusalsAreReported)
{
    EXPECT_FALSE(printing.setDefaultPrinter("Nowhere"));
    ScopedEnv refuse("REFUSE", "1");
    EXPECT_FALSE(printing.printFile(home->path() + "/a.pdf", "Office"));
    ScopedEnv none("PATH", "/nonexistent");
    EXPECT_TRUE(printing.printers().isEmpty());
    EXPECT_FALSE(printing.printFile(home->path() + "/a.pdf", ""));
}

} // namespace
