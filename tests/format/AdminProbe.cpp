// Answers the administrator check for the user it runs as: exit code 0 for an
// administrator, 1 for anyone else. The group tests run it as another user.

#include "platform/process/Groups.h"

int main() {
    return norvane::platform::currentUserIsAdministrator() ? 0 : 1;
}
