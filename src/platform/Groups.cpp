#include "platform/Groups.h"

#include <QtGlobal>
#include <cerrno>
#include <grp.h>
#include <unistd.h>
#include <vector>

namespace norvane::platform {

std::optional<QStringList> localGroupMembers(const QString& group) {
    const QByteArray name = group.toLocal8Bit();
    long suggested = ::sysconf(_SC_GETGR_R_SIZE_MAX);
    std::vector<char> buffer(suggested > 0 ? std::size_t(suggested) : 4096);
    struct group entry {};
    struct group* found = nullptr;
    for (;;) {
        const int error = ::getgrnam_r(name.constData(), &entry, buffer.data(), buffer.size(), &found);
        if (error == ERANGE && buffer.size() < (std::size_t(1) << 24)) {
            buffer.resize(buffer.size() * 2);
            continue;
        }
        if (error != 0 || found == nullptr)
            return std::nullopt;
        break;
    }
    QStringList members;
    for (char** member = found->gr_mem; member != nullptr && *member != nullptr; ++member)
        members << QString::fromLocal8Bit(*member);
    return members;
}

bool runsAsSuperuser() {
    return ::geteuid() == 0;
}

bool isAdministrator(const QString& userName, const std::optional<QStringList>& groupMembers,
                     bool superuser) {
    if (superuser)
        return true;
    if (userName.isEmpty() || !groupMembers)
        return false;
    return groupMembers->contains(userName, Qt::CaseSensitive);
}

bool currentUserIsAdministrator() {
    return isAdministrator(qEnvironmentVariable("USERNAME"),
                           localGroupMembers(QStringLiteral("Administratoren")), runsAsSuperuser());
}

} // namespace norvane::platform
