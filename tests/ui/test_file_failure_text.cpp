// The windows' Portuguese words for a file that could not be written: the system's reason in
// Portuguese under every locale, in the program's Windows-1252 text.
#include <gtest/gtest.h>

#include <cerrno>
#include <clocale>
#include <string>

#include "core/win1252.h"
#include "tests/support/comma_locale.h"
#include "ui/file_failure_text.h"

namespace vm {
namespace {

// The cases under one locale; the words must not depend on it.
void ExpectPortugueseWords() {
    const std::string file = "/home/ana/\xc3\x81rea de Trabalho/Sal\xc3\xa3o.pdf";  // UTF-8
    const std::string shown = utf8ToWin1252(file);
    const std::string full = utf8ToWin1252("Não há espaço disponível no dispositivo");
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
             utf8ToWin1252("/home/ana/\xc3\x81rea de Trabalho/") + "\": " +
             utf8ToWin1252("Arquivo ou diretório inexistente")},
        {{FileFailureKind::Replace, EXDEV, file},
         utf8ToWin1252("Não foi possível gravar \"") + shown +
             utf8ToWin1252("\": o arquivo novo não pôde tomar o lugar do anterior: ") +
             utf8ToWin1252("Link entre dispositivos inválido")},
        {{FileFailureKind::KeepOwner, EPROTO, file},
         utf8ToWin1252("Não foi possível gravar \"") + shown +
             utf8ToWin1252("\": não foi possível manter o dono do arquivo anterior: ") +
             utf8ToWin1252("erro número ") + std::to_string(EPROTO) + " do sistema"},
        {{FileFailureKind::NameHasNul, 0, std::string("a\0b.qtv", 7)},
         utf8ToWin1252("Não foi possível gravar \"a\": o nome tem um byte nulo")},
        {{FileFailureKind::None, 0, file}, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(FileFailureText(c.failure), c.text);
    }

    // Below a headline that names the file, the reason alone; a page of a set names its own file.
    const FileFailure page{FileFailureKind::Write, ENOSPC, "/tmp/rel_0002.svg"};
    EXPECT_EQ(FileFailureBelow({FileFailureKind::Write, ENOSPC, file}, file), full);
    EXPECT_EQ(FileFailureBelow(page, "/tmp/rel.svg"), FileFailureText(page));
}

TEST(FileFailureText, NamesTheFileOnceWithTheReasonInPortugueseUnderEveryLocale) {
    {
        SCOPED_TRACE("C locale, where the system speaks English");
        const std::string previous = std::setlocale(LC_ALL, nullptr);
        ASSERT_NE(std::setlocale(LC_ALL, "C"), nullptr);
        ExpectPortugueseWords();
        std::setlocale(LC_ALL, previous.c_str());
    }
    testing::CommaLocale brazil;  // a Brazilian desktop
    ASSERT_TRUE(brazil.active());
    SCOPED_TRACE("pt_BR.UTF-8");
    ExpectPortugueseWords();
}

}  // namespace
}  // namespace vm
