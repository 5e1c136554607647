#include "AtomicFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <csignal>
#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace zelk;

namespace {

class AtomicFileTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path(const QString& name = "file.txt") const { return dir.filePath(name); }

    static QByteArray contents(const QString& p)
    {
        QFile f(p);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
    }
    static mode_t modeOf(const QString& p)
    {
        struct stat st{};
        ::stat(QFile::encodeName(p).constData(), &st);
        return st.st_mode & 07777;
    }
    // Only the files the test made: no temporary file left behind.
    QStringList entries() const { return QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot); }
};

TEST_F(AtomicFileTest, WritesNewFileWithDefaultPermissions)
{
    QString error;
    ASSERT_TRUE(writeFileAtomically(path(), "hello", &error)) << qPrintable(error);
    EXPECT_EQ(contents(path()), "hello");
    const mode_t mask = ::umask(022);
    ::umask(mask);
    EXPECT_EQ(modeOf(path()), 0644 & ~mask);
    EXPECT_EQ(entries(), QStringList{"file.txt"});
}

TEST_F(AtomicFileTest, ReplacesAndKeepsPermissions)
{
    ASSERT_TRUE(writeFileAtomically(path(), "old"));
    ASSERT_EQ(::chmod(QFile::encodeName(path()).constData(), 0600), 0);
    ASSERT_TRUE(writeFileAtomically(path(), "new and longer"));
    EXPECT_EQ(contents(path()), "new and longer");
    EXPECT_EQ(modeOf(path()), mode_t(0600));
    EXPECT_EQ(entries(), QStringList{"file.txt"});
}

TEST_F(AtomicFileTest, WritesThroughASymbolicLink)
{
    ASSERT_TRUE(writeFileAtomically(path("real.txt"), "old"));
    ASSERT_TRUE(QFile::link(path("real.txt"), path("link.txt")));
    ASSERT_TRUE(writeFileAtomically(path("link.txt"), "new"));
    EXPECT_TRUE(QFileInfo(path("link.txt")).isSymLink());
    EXPECT_EQ(contents(path("real.txt")), "new");
}

TEST_F(AtomicFileTest, TargetIsAFolder)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir("sub"));
    QString error;
    EXPECT_FALSE(writeFileAtomically(path("sub"), "x", &error));
    EXPECT_TRUE(error.contains("sub")) << qPrintable(error);
    EXPECT_TRUE(QFileInfo(path("sub")).isDir());
    EXPECT_EQ(entries(), QStringList{"sub"});
}

TEST_F(AtomicFileTest, MissingFolder)
{
    QString error;
    EXPECT_FALSE(writeFileAtomically(path("nowhere/file.txt"), "x", &error));
    EXPECT_FALSE(error.isEmpty());
}

// Permissions do not bind root (CI runs as root): there the write is made
// as an ordinary user who owns the folder, and root comes back after it.
class AsUser {
public:
    static constexpr uid_t kNobody = 65534;
    explicit AsUser(const QString& folder)
    {
        if (::geteuid() != 0)
            return;
        const QByteArray name = QFile::encodeName(folder);
        ok = ::chown(name.constData(), kNobody, kNobody) == 0 && ::setegid(kNobody) == 0 && ::seteuid(kNobody) == 0;
        dropped = true;
    }
    ~AsUser()
    {
        if (dropped && (::seteuid(0) != 0 || ::setegid(0) != 0))
            std::abort(); // the rest of the tests would run as somebody else
    }
    AsUser(const AsUser&) = delete;
    AsUser& operator=(const AsUser&) = delete;
    bool ok = true;

private:
    bool dropped = false;
};

TEST_F(AtomicFileTest, UnwritableFolderKeepsOldFile)
{
    ASSERT_TRUE(writeFileAtomically(path(), "old"));
    ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0500), 0);
    QString error;
    {
        AsUser user(dir.path());
        ASSERT_TRUE(user.ok) << "cannot leave root for the write";
        EXPECT_FALSE(writeFileAtomically(path(), "new", &error));
    }
    ::chmod(QFile::encodeName(dir.path()).constData(), 0700);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(contents(path()), "old");
    EXPECT_EQ(entries(), QStringList{"file.txt"});
}

// A write that fails half-way (the file-size limit stands in for a full
// disk) leaves the old file and no temporary file.
TEST_F(AtomicFileTest, FailedWriteKeepsOldFileAndRemovesTemporary)
{
    ASSERT_TRUE(writeFileAtomically(path(), "old"));
    struct rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 100;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    QString error;
    const bool ok = writeFileAtomically(path(), QByteArray(4096, 'x'), &error);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(ok);
    EXPECT_TRUE(error.contains("file.txt")) << qPrintable(error);
    EXPECT_EQ(contents(path()), "old");
    EXPECT_EQ(entries(), QStringList{"file.txt"});
}

// A writer killed in the middle of its write (here by the file-size limit's
// signal, whose default action ends the process) leaves its temporary file;
// the clean-up removes it, and only it.
TEST_F(AtomicFileTest, TemporaryOfAKilledWriterIsRemovedAndOthersAreKept)
{
    ASSERT_TRUE(writeFileAtomically(path(), "old"));
    const pid_t writer = ::fork();
    ASSERT_GE(writer, 0);
    if (writer == 0) {
        struct rlimit none{0, 0};
        ::setrlimit(RLIMIT_CORE, &none);
        struct rlimit small{100, 100};
        ::setrlimit(RLIMIT_FSIZE, &small);
        std::signal(SIGXFSZ, SIG_DFL);
        writeFileAtomically(path(), QByteArray(4096, 'x'));
        ::_exit(0); // not reached: the write past the limit kills the writer
    }
    int status = 0;
    ASSERT_EQ(::waitpid(writer, &status, 0), writer);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the writer was to be killed mid-write";
    const QStringList left = entries().filter(QString(".file.txt.%1.").arg(writer));
    ASSERT_EQ(left.size(), 1) << entries().join(", ").toStdString();

    // A temporary of a writer that still runs (this process), and files
    // that are not ours, stay.
    const QString live = QString(".file.txt.%1.AbC123").arg(::getpid());
    for (const QString& name : {live, QString(".file.txt.backup"), QString("notes.12345.abcdef")}) {
        QFile f(path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    EXPECT_EQ(removeStaleTemporaryFiles(dir.path()), 1);
    QStringList expected{".file.txt.backup", live, "file.txt", "notes.12345.abcdef"};
    expected.sort();
    EXPECT_EQ(entries(), expected);
    EXPECT_EQ(contents(path()), "old");
}

} // namespace

TEST_F(AtomicFileTest, FilesWrittenTogetherAllReplaceOrNoneDoes)
{
    ASSERT_TRUE(writeFileAtomically(path("a"), "old a"));
    ASSERT_TRUE(writeFileAtomically(path("b"), "old b"));
    ASSERT_TRUE(QDir(dir.path()).mkdir("c")); // a file that cannot be replaced

    QString error;
    EXPECT_FALSE(writeFilesAtomically({{path("a"), "new a"}, {path("b"), "new b"}, {path("c"), "new c"}}, &error));
    EXPECT_TRUE(error.contains(path("c"))) << qPrintable(error);
    EXPECT_EQ(contents(path("a")), "old a");
    EXPECT_EQ(contents(path("b")), "old b");
    EXPECT_EQ(entries(), (QStringList{"a", "b", "c"})) << "a temporary file was left behind";

    ASSERT_TRUE(writeFilesAtomically({{path("a"), "new a"}, {path("b"), "new b"}, {path("d"), "new d"}}, &error))
        << qPrintable(error);
    EXPECT_EQ(contents(path("a")), "new a");
    EXPECT_EQ(contents(path("b")), "new b");
    EXPECT_EQ(contents(path("d")), "new d");
    EXPECT_EQ(entries(), (QStringList{"a", "b", "c", "d"}));
}
