#include "platform/process/Groups.h"

#include <QtGlobal>
#include <cerrno>
#include <grp.h>
#include <pwd.h>
#include <unistd.h>
#include <vector>

namespace norvane::platform {

namespace {

// Runs a getgrnam_r/getpwuid_r style lookup, growing its buffer while it is too small.
template <typename Lookup> bool lookupWithBuffer(long sizeHint, Lookup lookup) {
    std::vector<char> buffer(sizeHint > 0 ? std::size_t(sizeHint) : 4096);
    for (;;) {
        const int error = lookup(buffer);
        if (error == ERANGE && buffer.size() < (std::size_t(1) << 24)) {
            buffer.resize(buffer.size() * 2);
            continue;
        }
        return error == 0;
    }
}

} // namespace

QStringList administratorGroups() {
    return {QStringLiteral("sudo"), QStringLiteral("wheel"), QStringLiteral("admin"),
            QStringLiteral("Administratoren")};
}

std::optional<QStringList> localGroupMembers(const QString& group) {
    const QByteArray name = group.toLocal8Bit();
    std::optional<QStringList> members;
    lookupWithBuffer(::sysconf(_SC_GETGR_R_SIZE_MAX), [&](std::vector<char>& buffer) {
        struct group entry {};
        struct group* found = nullptr;
        const int error = ::getgrnam_r(name.constData(), &entry, buffer.data(), buffer.size(), &found);
        if (error == 0 && found != nullptr) {
            members = QStringList();
            for (char** member = found->gr_mem; member != nullptr && *member != nullptr; ++member)
                *members << QString::fromLocal8Bit(*member);
        }
        return error;
    });
    return members;
}

bool runsAsSuperuser() {
    return ::geteuid() == 0;
}

QString currentUserName() {
    if (qEnvironmentVariableIsSet("USERNAME"))
        return qEnvironmentVariable("USERNAME");
    QString login;
    lookupWithBuffer(::sysconf(_SC_GETPW_R_SIZE_MAX), [&](std::vector<char>& buffer) {
        struct passwd entry {};
        struct passwd* found = nullptr;
        const int error = ::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found);
        if (error == 0 && found != nullptr && found->pw_name != nullptr)
            login = QString::fromLocal8Bit(found->pw_name);
        return error;
    });
    return login;
}

bool isAdministrator(const QString& userName, const std::optional<QStringList>& groupMembers,
                     bool superuser) {
    if (superuser)
        return true;
    if (userName.isEmpty() || !groupMembers)
        return false;
    return groupMembers->contains(userName, Qt::CaseSensitive);
}

bool isAdministrator(const QString& userName, const GroupSource& groups, bool superuser) {
    if (superuser)
        return true;
    for (const QString& group : administratorGroups()) {
        if (groups && isAdministrator(userName, groups(group), false))
            return true;
    }
    return false;
}

bool currentUserIsAdministrator() {
    return isAdministrator(currentUserName(), GroupSource(localGroupMembers), runsAsSuperuser());
}

} // namespace norvane::platform
