// The windows' Portuguese words for a file that could not be written, with the system's reason
// decoded from the locale's UTF-8 into the program's Windows-1252 text.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include "core/win1252.h"
#include "tests/support/comma_locale.h"
#include "ui/file_failure_text.h"

namespace vm {
namespace {

TEST(FileFailureText, NamesTheFileOnceWithTheSystemsReasonDecoded) {
    testing::CommaLocale brazil;  // a Brazilian desktop: strerror speaks Portuguese in UTF-8
    ASSERT_TRUE(brazil.active());
    const std::string file = "/home/ana/\xc3\x81rea de Trabalho/Sal\xc3\xa3o.pdf";  // UTF-8
    const std::string shown = utf8ToWin1252(file);
    const std::string full = utf8ToWin1252(std::strerror(ENOSPC));
    const std::string missing = utf8ToWin1252(std::strerror(ENOENT));
    const struct {
        FileFailure failure;
        std::string text;  // Windows-1252
    } cases[] = {
        {{FileFailureKind::Write, ENOSPC, file},
         utf8ToWin1252("Não foi possível gravar \"") + shown + "\": " + full},
        {{FileFailureKind::Write, 0, file},
         utf8ToWin1252("Não foi possível gravar \"") + shown +
             utf8ToWin1252("\": o disco não aceitou mais nenhum byte")},
        {{FileFailureKind::CreateInFolder, ENOENT, file},
         utf8ToWin1252("Não foi possível gravar \"") + shown +
             utf8ToWin1252("\": não foi possível criar um arquivo na pasta \"") +
             utf8ToWin1252("/home/ana/\xc3\x81rea de Trabalho/") + "\": " + missing},
        {{FileFailureKind::Replace, EXDEV, file},
         utf8ToWin1252("Não foi possível gravar \"") + shown +
             utf8ToWin1252("\": o arquivo novo não pôde tomar o lugar do anterior: ") +
             utf8ToWin1252(std::strerror(EXDEV))},
        {{FileFailureKind::NameHasNul, 0, std::string("a\0b.qtv", 7)},
         utf8ToWin1252("Não foi possível gravar \"a\": o nome tem um byte nulo")},
        {{FileFailureKind::None, 0, file}, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(FileFailureText(c.failure), c.text);
    }
    // The reason was decoded: no UTF-8 pair of an accented letter is left ("Ã£" for "ã").
    EXPECT_EQ(full.find('\xc3'), std::string::npos) << full;

    // Below a headline that names the file, the reason alone; a page of a set names its own file.
    const FileFailure page{FileFailureKind::Write, ENOSPC, "/tmp/rel_0002.svg"};
    EXPECT_EQ(FileFailureBelow({FileFailureKind::Write, ENOSPC, file}, file), full);
    EXPECT_EQ(FileFailureBelow(page, "/tmp/rel.svg"), FileFailureText(page));
}

}  // namespace
}  // namespace vm
