#pragma once
// Qt's own texts (the standard buttons, the file and print dialogs) in Brazilian Portuguese, as
// the rest of the program, whatever the user's locale.

namespace vm {

// Installs Qt's pt_BR translations (Debian package qt6-translations-l10n) into the application,
// once. Returns false when they are not installed: Qt's texts then stay English.
bool LoadPlatformTranslations();

}  // namespace vm
