#include "ui/replace_question.h"

#include <sys/stat.h>

#include "core/file_names.h"
#include "core/win1252.h"
#include "ui/dialogs.h"

namespace vm {

namespace {

// "a", "a" e "b", "a", "b" e "c": each name quoted as it reads.
std::string quotedNames(const std::vector<std::string>& files) {
    std::string text;
    for (size_t i = 0; i < files.size(); ++i) {
        if (i > 0) {
            text += i + 1 == files.size() ? " e " : ", ";
        }
        text += "\"" + TextFromFileName(NameOfPath(files[i])) + "\"";
    }
    return text;
}

}  // namespace

std::vector<std::string> FilesToBeReplaced(const std::vector<std::string>& targets) {
    std::vector<std::string> replaced;
    for (const std::string& target : targets) {
        struct stat info {};
        if (::stat(target.c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
            replaced.push_back(target);
        }
    }
    return replaced;
}

std::string ReplaceQuestionText(const std::vector<std::string>& replaced,
                                const std::vector<std::string>& removed) {
    if (replaced.empty() && removed.empty()) {
        return {};
    }
    std::string text;
    if (replaced.size() == 1) {
        text = "O arquivo " + quotedNames(replaced) + utf8ToWin1252(" já existe em ") +
               TextFromFileName(FolderOfPath(replaced.front())) + ".";
    } else if (!replaced.empty()) {
        text = "Os arquivos " + quotedNames(replaced) + utf8ToWin1252(" já existem em ") +
               TextFromFileName(FolderOfPath(replaced.front())) + ".";
    }
    if (!removed.empty()) {
        if (!text.empty()) {
            text += "\r\n";
        }
        text +=
            removed.size() == 1
                ? utf8ToWin1252("A página ") + quotedNames(removed) +
                      utf8ToWin1252(" do conjunto anterior, que o novo não tem, será apagada.")
                : utf8ToWin1252("As páginas ") + quotedNames(removed) +
                      utf8ToWin1252(" do conjunto anterior, que o novo não tem, serão apagadas.");
    }
    return text + (replaced.empty() ? " Continuar?" : " Substituir?");
}

bool MayReplaceFiles(const std::vector<std::string>& targets,
                     const std::vector<std::string>& removed, const std::string& title) {
    const std::string question = ReplaceQuestionText(FilesToBeReplaced(targets), removed);
    return question.empty() || MsgYesNo(question, title, false);
}

}  // namespace vm
