#pragma once
// Membership of local groups and the administrator decision built on it.

#include <QString>
#include <QStringList>
#include <optional>

namespace norvane::platform {

// The direct members of a local group, as the system's group database (NSS) lists
// them; nothing when the group does not exist or cannot be read.
std::optional<QStringList> localGroupMembers(const QString& group);

// Whether the process runs with the superuser's rights.
bool runsAsSuperuser();

// An administrator is a direct member of the group whose name equals userName
// exactly (case and all), or the superuser. An empty name matches nobody; an
// unreadable group has no members.
bool isAdministrator(const QString& userName, const std::optional<QStringList>& groupMembers, bool superuser);

// The decision for this process: USERNAME among the members of "Administratoren".
bool currentUserIsAdministrator();

} // namespace norvane::platform
