#pragma once
#include <QString>
#include <QStringList>

#include <cerrno>
#include <functional>
#include <set>
#include <vector>

#include "FileSystem.h"

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

    bool Stat(const QString& path, FileStatus* out, FsError* err) override;
    bool ListNames(const QString& folder, QStringList* names, FsError* err) override;
    bool OpenRead(const QString& path, int* fd, FsError* err) override;
    bool Read(int fd, char* buffer, int64_t size, int64_t* got, FsError* err) override;
    bool CreateNew(const QString& path, uint32_t mode, int* fd, FsError* err) override;
    bool Write(int fd, const char* data, int64_t size, FsError* err) override;
    bool KeepTimesAndMode(int fd, const FileStatus& from, FsError* err) override;
    bool KeepExtendedAttributes(int fromFd, int toFd, FsError* err) override;
    bool Fsync(int fd, FsError* err) override;
    bool Close(int fd, FsError* err) override;
    bool RenameNoReplace(const QString& from, const QString& to, FsError* err) override;
    bool RenameReplace(const QString& from, const QString& to, FsError* err) override;
    bool Unlink(const QString& path, FsError* err) override;
    bool Trash(const QString& path, TrashEntry* entry, FsError* err) override;
    bool LinkStatus(const QString& path, FileStatus* out, FsError* err) override;
    bool ReadLink(const QString& path, QString* target, FsError* err) override;
    bool MakeLink(const QString& target, const QString& path, FsError* err) override;
    bool HardLink(const QString& from, const QString& to, FsError* err) override;
    bool CanTrash(const QString& path, FsError* err) override;
    bool RealPath(const QString& path, QString* real, FsError* err) override;
    QString MountPoint(const QString& path) override;
    DriveType TypeOfDrive(const QString& mountPoint) override;

private:
    // Records the call; true (with *err filled) when it is to fail.
    bool Fails(Call call, const QString& path, FsError* err);
    // The fake CD-ROM holding `path`, or "" for the real file system.
    QString FakeMountOf(const QString& path) const;
    bool CrossesFakeMount(const QString& from, const QString& to, FsError* err) const;

    FileSystem& real_;
};
