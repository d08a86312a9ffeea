#include "app/MainTables.h"

#include "update/catalogue/ServerFiles.h"

#include <QStringList>

namespace norvane {

QString mainWindowCaption() {
    return QStringLiteral("Norvane USB-Stick Internetupdate Tool ") + QString::fromLatin1(kProgramVersion);
}

std::array<QString, 6> settNames() {
    return {QStringLiteral("Auswahl nicht verfügbar"),
            QStringLiteral("Österreich - Programmierung"),
            QStringLiteral("Deutschland - Programmierung"),
            QStringLiteral("Italy - List"),
            QStringLiteral("France - List"),
            QStringLiteral("Spain - List")};
}

std::array<QString, 5> reihenfolgen() {
    return {
        lines({"1. ORF 1    6. ZDF", "2. ORF 2    7. BR 3", "3. ATV+     8. SAT 1", "4. TW 1     9. PRO 7",
               "5. ARD     10. ..."}),
        lines({"1. ARD      6. SAT 1", "2. ZDF      7. PRO 7", "3. 3 Sat    8. Kabel 1", "4. RTL      9. VOX",
               "5. RTL 2   10. ..."}),
        lines({"1. RAI 1    6. Italia1", "2. RAI 2    7. LA 7", "3. RAI 3    8. TSI 1",
               "4. Rete 4   9. TSI 2", "5. Canale5 10. ..."}),
        lines({"1. FR1      6. ...", "2. FR2      7. ...", "3. FR3      8. ...", "4. ...      9. ...",
               "5. ...     10. ..."}),
        lines({"1. TVE1     6. ...", "2. TVE2     7. ...", "3. TVE3     8. ...", "4. ...      9. ...",
               "5. ...     10. ..."}),
    };
}

} // namespace norvane
