#pragma once
#include <QString>
#include <QStringList>

#include <cerrno>
#include <functional>
#include <set>
#include <vector>

#include "platform/FileSystem.h"

// Passes every call to a real file system, records it, and fails the ones a test chooses: the
// Nth call of any kind (failAt), or every call of some kinds (failKinds). A failed call does
// nothing (a failed Close still releases the descriptor, as Linux does). Folders listed in
// cdRoms stand as mount points of CD-ROM drives: a rename into or out of one fails with EXDEV,
// as the kernel refuses a rename across mounts.
class FakeFileSystem : public FileSystem {
public:
    enum class Call {
        Stat, ListNames, OpenRead, Read, CreateNew, Write, KeepTimesAndMode,
        KeepExtendedAttributes, Fsync, Close,
        RenameNoReplace, RenameReplace, Unlink, Trash,
        LinkStatus, ReadLink, MakeLink, HardLink, CanTrash, RealPath
    };
    struct Record {
        Call call;
        QString path;  // the first path, or "" for calls on a descriptor
        bool failed;
    };

    explicit FakeFileSystem(FileSystem& real) : real_(real) {}

    int failAt = 0;  // 1-based number of the call to fail; 0: none
    std::set<Call> failKinds;
    int failErrno = EIO;
    // The trash does its work but its entry is not found, as where the trash lies elsewhere.
    bool loseTrashEntries = false;
    QStringList cdRoms;  // mount points (no final "/") reported as CD-ROM drives
    // Runs before each call is passed on (or failed), e.g. to create a file in its way.
    std::function<void(Call, const QString&)> beforeCall;

    std::vector<Record> calls;
    int CallCount() const { return int(calls.size()); }
    int CountOf(Call call) const;
    bool AnyFailed() const;

    bool stat(const QString& path, FileStatus* out, FsError* err) override;
    bool listNames(const QString& folder, QStringList* names, FsError* err) override;
    bool openRead(const QString& path, int* fd, FsError* err) override;
    bool read(int fd, char* buffer, int64_t size, int64_t* got, FsError* err) override;
    bool createNew(const QString& path, uint32_t mode, int* fd, FsError* err) override;
    bool write(int fd, const char* data, int64_t size, FsError* err) override;
    bool keepTimesAndMode(int fd, const FileStatus& from, FsError* err) override;
    bool keepExtendedAttributes(int fromFd, int toFd, FsError* err) override;
    bool fsync(int fd, FsError* err) override;
    bool close(int fd, FsError* err) override;
    bool renameNoReplace(const QString& from, const QString& to, FsError* err) override;
    bool renameReplace(const QString& from, const QString& to, FsError* err) override;
    bool unlink(const QString& path, FsError* err) override;
    bool trash(const QString& path, TrashEntry* entry, FsError* err) override;
    bool linkStatus(const QString& path, FileStatus* out, FsError* err) override;
    bool readLink(const QString& path, QString* target, FsError* err) override;
    bool makeLink(const QString& target, const QString& path, FsError* err) override;
    bool hardLink(const QString& from, const QString& to, FsError* err) override;
    bool canTrash(const QString& path, FsError* err) override;
    bool realPath(const QString& path, QString* real, FsError* err) override;
    QString mountPoint(const QString& path) override;
    DriveType typeOfDrive(const QString& mountPoint) override;

private:
    // Records the call; true (with *err filled) when it is to fail.
    bool Fails(Call call, const QString& path, FsError* err);
    // The fake CD-ROM holding `path`, or "" for the real file system.
    QString FakeMountOf(const QString& path) const;
    bool CrossesFakeMount(const QString& from, const QString& to, FsError* err) const;

    FileSystem& real_;
};
