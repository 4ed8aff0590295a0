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
    if (fail && err) *err = FsPath::errorFor(failErrno);
    return fail;
}

bool FakeFileSystem::stat(const QString& path, FileStatus* out, FsError* err) {
    return !Fails(Call::Stat, path, err) && real_.stat(path, out, err);
}

bool FakeFileSystem::listNames(const QString& folder, QStringList* names, FsError* err) {
    if (Fails(Call::ListNames, folder, err)) {
        names->clear();
        return false;
    }
    return real_.listNames(folder, names, err);
}

bool FakeFileSystem::openRead(const QString& path, int* fd, FsError* err) {
    return !Fails(Call::OpenRead, path, err) && real_.openRead(path, fd, err);
}

bool FakeFileSystem::read(int fd, char* buffer, int64_t size, int64_t* got, FsError* err) {
    return !Fails(Call::Read, QString(), err) && real_.read(fd, buffer, size, got, err);
}

bool FakeFileSystem::createNew(const QString& path, uint32_t mode, int* fd, FsError* err) {
    return !Fails(Call::CreateNew, path, err) && real_.createNew(path, mode, fd, err);
}

bool FakeFileSystem::write(int fd, const char* data, int64_t size, FsError* err) {
    return !Fails(Call::Write, QString(), err) && real_.write(fd, data, size, err);
}

bool FakeFileSystem::keepTimesAndMode(int fd, const FileStatus& from, FsError* err) {
    return !Fails(Call::KeepTimesAndMode, QString(), err) && real_.keepTimesAndMode(fd, from, err);
}

bool FakeFileSystem::keepExtendedAttributes(int fromFd, int toFd, FsError* err) {
    return !Fails(Call::KeepExtendedAttributes, QString(), err) &&
           real_.keepExtendedAttributes(fromFd, toFd, err);
}

bool FakeFileSystem::fsync(int fd, FsError* err) {
    return !Fails(Call::Fsync, QString(), err) && real_.fsync(fd, err);
}

bool FakeFileSystem::close(int fd, FsError* err) {
    if (Fails(Call::Close, QString(), err)) {
        FsError ignored;
        real_.close(fd, &ignored);  // released anyway, as close(2) does
        return false;
    }
    return real_.close(fd, err);
}

QString FakeFileSystem::FakeMountOf(const QString& path) const {
    for (const QString& cd : cdRoms) {
        if (path == cd || path.startsWith(cd + QLatin1Char('/'))) return cd;
    }
    return QString();
}

bool FakeFileSystem::CrossesFakeMount(const QString& from, const QString& to, FsError* err) const {
    if (FakeMountOf(from) == FakeMountOf(to)) return false;
    if (err) *err = FsPath::errorFor(EXDEV);
    return true;
}

bool FakeFileSystem::renameNoReplace(const QString& from, const QString& to, FsError* err) {
    return !Fails(Call::RenameNoReplace, from, err) && !CrossesFakeMount(from, to, err) &&
           real_.renameNoReplace(from, to, err);
}

bool FakeFileSystem::renameReplace(const QString& from, const QString& to, FsError* err) {
    return !Fails(Call::RenameReplace, from, err) && !CrossesFakeMount(from, to, err) &&
           real_.renameReplace(from, to, err);
}

bool FakeFileSystem::unlink(const QString& path, FsError* err) {
    return !Fails(Call::Unlink, path, err) && real_.unlink(path, err);
}

bool FakeFileSystem::trash(const QString& path, TrashEntry* entry, FsError* err) {
    if (Fails(Call::Trash, path, err) || !real_.trash(path, entry, err)) return false;
    if (loseTrashEntries && entry) *entry = TrashEntry();
    return true;
}

bool FakeFileSystem::linkStatus(const QString& path, FileStatus* out, FsError* err) {
    return !Fails(Call::LinkStatus, path, err) && real_.linkStatus(path, out, err);
}

bool FakeFileSystem::readLink(const QString& path, QString* target, FsError* err) {
    return !Fails(Call::ReadLink, path, err) && real_.readLink(path, target, err);
}

bool FakeFileSystem::makeLink(const QString& target, const QString& path, FsError* err) {
    return !Fails(Call::MakeLink, path, err) && real_.makeLink(target, path, err);
}

bool FakeFileSystem::hardLink(const QString& from, const QString& to, FsError* err) {
    return !Fails(Call::HardLink, from, err) && !CrossesFakeMount(from, to, err) && real_.hardLink(from, to, err);
}

bool FakeFileSystem::canTrash(const QString& path, FsError* err) {
    return !Fails(Call::CanTrash, path, err) && real_.canTrash(path, err);
}

bool FakeFileSystem::realPath(const QString& path, QString* real, FsError* err) {
    return !Fails(Call::RealPath, path, err) && real_.realPath(path, real, err);
}

QString FakeFileSystem::mountPoint(const QString& path) {
    const QString cd = FakeMountOf(path);
    return cd.isEmpty() ? real_.mountPoint(path) : cd;
}

DriveType FakeFileSystem::typeOfDrive(const QString& mountPoint) {
    if (cdRoms.contains(mountPoint)) return DriveType::CdRom;
    return real_.typeOfDrive(mountPoint);
}
