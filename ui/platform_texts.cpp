#include "ui/platform_texts.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <memory>

namespace vm {

bool LoadPlatformTranslations() {
    static QTranslator* translator = nullptr;
    if (translator != nullptr) {
        return true;
    }
    auto loaded = std::make_unique<QTranslator>();
    if (!loaded->load(QStringLiteral("qtbase_pt_BR"),
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        return false;
    }
    translator = loaded.release();  // lives as long as the process
    QCoreApplication::installTranslator(translator);
    return true;
}

}  // namespace vm
