#pragma once

class QObject;

namespace norvane {

// Loads Qt's own German translations, so standard buttons read "Abbrechen",
// "Ja" and "Nein". The translator lives as long as `owner`. False when the
// translation files are not installed; the buttons then stay English.
bool installGermanTranslations(QObject& owner);

} // namespace norvane
