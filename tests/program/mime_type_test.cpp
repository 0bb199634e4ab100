// Project files as the desktop knows them: the shared-mime-info type that the package installs,
// compiled with update-mime-database and read back through Qt's MIME database. (Qt 6.4 ranks
// application/xml's magic above any subclass's, so the content match is not checked here.)
#include <gtest/gtest.h>

#include <QMimeDatabase>
#include <cstdlib>
#include <filesystem>

namespace {

namespace fs = std::filesystem;

TEST(ProjectMimeType, KnownByNameAsAKindOfPlainText) {
    if (std::system("command -v update-mime-database >/dev/null") != 0) {
        GTEST_SKIP() << "update-mime-database (shared-mime-info) is not installed";
    }
    std::string pattern = (fs::temp_directory_path() / "vm-mime-XXXXXX").string();
    const fs::path dir = mkdtemp(pattern.data());
    fs::create_directories(dir / "mime" / "packages");
    fs::copy_file(fs::path(VM_PACKAGING_DIR) / "vistametra-mime.xml",
                  dir / "mime" / "packages" / "vistametra.xml");
    ASSERT_EQ(
        std::system(("update-mime-database '" + (dir / "mime").string() + "' >/dev/null").c_str()),
        0);
    // Read once per process, on first use: ours first, then the system's.
    setenv("XDG_DATA_DIRS", (dir.string() + ":/usr/share").c_str(), 1);
    setenv("XDG_DATA_HOME", (dir / "nothing").c_str(), 1);

    const QMimeDatabase db;
    const std::string ours = "application/x-vistametra-project";
    EXPECT_EQ(db.mimeTypeForFile(QStringLiteral("Sala de Reuni\u00e3o.qtv"),
                                 QMimeDatabase::MatchExtension)
                  .name()
                  .toStdString(),
              ours);
    // Project files are text but not well-formed XML: an XML editor is not offered for them.
    const QMimeType type = db.mimeTypeForName(QString::fromStdString(ours));
    EXPECT_TRUE(type.inherits(QStringLiteral("text/plain")));
    EXPECT_FALSE(type.inherits(QStringLiteral("application/xml")));
    fs::remove_all(dir);
}

}  // namespace
