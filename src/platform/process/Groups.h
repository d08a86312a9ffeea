#pragma once
// Membership of local groups and the administrator decision built on it.
//
// On Linux the administrators are the members of the groups that polkit asks
// for an administrator's password: "sudo" (Debian, Ubuntu), "wheel" (Fedora,
// Arch), "admin" (older Ubuntu), and a group literally named "Administratoren"
// where one exists.

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace norvane::platform {

// The groups whose direct members count as administrators, in the order asked.
QStringList administratorGroups();

// The direct members of a local group, as the system's group database (NSS) lists
// them; nothing when the group does not exist or cannot be read.
std::optional<QStringList> localGroupMembers(const QString& group);

// Looks up the direct members of a group; nothing when it does not exist.
using GroupSource = std::function<std::optional<QStringList>(const QString& group)>;

// Whether the process runs with the superuser's rights (effective uid 0).
bool runsAsSuperuser();

// The user's name: USERNAME when it is set, else the login name of the real uid;
// empty when neither is known.
QString currentUserName();

// An administrator is a direct member of the group whose name equals userName
// exactly (case and all), or the superuser. An empty name matches nobody; an
// unreadable group has no members.
bool isAdministrator(const QString& userName, const std::optional<QStringList>& groupMembers, bool superuser);

// The same over every group of administratorGroups(), read through groups.
bool isAdministrator(const QString& userName, const GroupSource& groups, bool superuser);

// The decision for this process: the current user among the administrators.
bool currentUserIsAdministrator();

} // namespace norvane::platform
