#include "FakeFileSystem.h"

#include <algorithm>

int FakeFileSystem::CountOf(Call call) const {
    return int(std::count_if(calls.begin(), calls.end(),
                             [call](const Record& r) { return r.call == call; }));
}

bool FakeFileSystem::AnyFailed() const {
    return std::any_of(calls.begin(), calls.end(), [](const Record& r) { return r.failed; });
}

bool FakeFileSystem::Fails(Call call, const QString& path, FsError* err) {
    if (beforeCall) beforeCall(call, path);
    const bool fail = int(calls.size()) + 1 == failAt || failKinds.count(call) > 0;
    calls.push_back({call, path, fail});
    if (fail && err) *err = FsPath::ErrorFor(failErrno);
    return fail;
}

bool FakeFileSystem::Stat(const QString& path, FileStatus* out, FsError* err) {
    return !Fails(Call::Stat, path, err) && real_.Stat(path, out, err);
}

bool FakeFileSystem::ListNames(const QString& folder, QStringList* names, FsError* err) {
    if (Fails(Call::ListNames, folder, err)) {
        names->clear();
        return false;
    }
    return real_.ListNames(folder, names, err);
}

bool FakeFileSystem::OpenRead(const QString& path, int* fd, FsError* err) {
    return !Fails(Call::OpenRead, path, err) && real_.OpenRead(path, fd, err);
}

bool FakeFileSystem::Read(int fd, char* buffer, int64_t size, int64_t* got, FsError* err) {
    return !Fails(Call::Read, QString(), err) && real_.Read(fd, buffer, size, got, err);
}

bool FakeFileSystem::CreateNew(const QString& path, uint32_t mode, int* fd, FsError* err) {
    return !Fails(Call::CreateNew, path, err) && real_.CreateNew(path, mode, fd, err);
}

bool FakeFileSystem::Write(int fd, const char* data, int64_t size, FsError* err) {
    return !Fails(Call::Write, QString(), err) && real_.Write(fd, data, size, err);
}

bool FakeFileSystem::KeepTimesAndMode(int fd, const FileStatus& from, FsError* err) {
    return !Fails(Call::KeepTimesAndMode, QString(), err) && real_.KeepTimesAndMode(fd, from, err);
}

bool FakeFileSystem::KeepExtendedAttributes(int fromFd, int toFd, FsError* err) {
    return !Fails(Call::KeepExtendedAttributes, QString(), err) &&
           real_.KeepExtendedAttributes(fromFd, toFd, err);
}

bool FakeFileSystem::Fsync(int fd, FsError* err) {
    return !Fails(Call::Fsync, QString(), err) && real_.Fsync(fd, err);
}

bool FakeFileSystem::Close(int fd, FsError* err) {
    if (Fails(Call::Close, QString(), err)) {
        FsError ignored;
        real_.Close(fd, &ignored);  // released anyway, as close(2) does
        return false;
    }
    return real_.Close(fd, err);
}

QString FakeFileSystem::FakeMountOf(const QString& path) const {
    for (const QString& cd : cdRoms) {
        if (path == cd || path.startsWith(cd + QLatin1Char('/'))) return cd;
    }
    return QString();
}

bool FakeFileSystem::CrossesFakeMount(const QString& from, const QString& to, FsError* err) const {
    if (FakeMountOf(from) == FakeMountOf(to)) return false;
    if (err) *err = FsPath::ErrorFor(EXDEV);
    return true;
}

bool FakeFileSystem::RenameNoReplace(const QString& from, const QString& to, FsError* err) {
    return !Fails(Call::RenameNoReplace, from, err) && !CrossesFakeMount(from, to, err) &&
           real_.RenameNoReplace(from, to, err);
}

bool FakeFileSystem::RenameReplace(const QString& from, const QString& to, FsError* err) {
    return !Fails(Call::RenameReplace, from, err) && !CrossesFakeMount(from, to, err) &&
           real_.RenameReplace(from, to, err);
}

bool FakeFileSystem::Unlink(const QString& path, FsError* err) {
    return !Fails(Call::Unlink, path, err) && real_.Unlink(path, err);
}

bool FakeFileSystem::Trash(const QString& path, TrashEntry* entry, FsError* err) {
    if (Fails(Call::Trash, path, err) || !real_.Trash(path, entry, err)) return false;
    if (loseTrashEntries && entry) *entry = TrashEntry();
    return true;
}

bool FakeFileSystem::LinkStatus(const QString& path, FileStatus* out, FsError* err) {
    return !Fails(Call::LinkStatus, path, err) && real_.LinkStatus(path, out, err);
}

bool FakeFileSystem::ReadLink(const QString& path, QString* target, FsError* err) {
    return !Fails(Call::ReadLink, path, err) && real_.ReadLink(path, target, err);
}

bool FakeFileSystem::MakeLink(const QString& target, const QString& path, FsError* err) {
    return !Fails(Call::MakeLink, path, err) && real_.MakeLink(target, path, err);
}

bool FakeFileSystem::HardLink(const QString& from, const QString& to, FsError* err) {
    return !Fails(Call::HardLink, from, err) && !CrossesFakeMount(from, to, err) && real_.HardLink(from, to, err);
}

bool FakeFileSystem::CanTrash(const QString& path, FsError* err) {
    return !Fails(Call::CanTrash, path, err) && real_.CanTrash(path, err);
}

bool FakeFileSystem::RealPath(const QString& path, QString* real, FsError* err) {
    return !Fails(Call::RealPath, path, err) && real_.RealPath(path, real, err);
}

QString FakeFileSystem::MountPoint(const QString& path) {
    const QString cd = FakeMountOf(path);
    return cd.isEmpty() ? real_.MountPoint(path) : cd;
}

DriveType FakeFileSystem::TypeOfDrive(const QString& mountPoint) {
    if (cdRoms.contains(mountPoint)) return DriveType::CdRom;
    return real_.TypeOfDrive(mountPoint);
}
