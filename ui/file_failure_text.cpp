#include "ui/file_failure_text.h"

#include "core/file_names.h"
#include "core/system_reason.h"
#include "core/win1252.h"

namespace vm {

std::string SystemReasonText(int err) {
    return utf8ToWin1252(PortugueseSystemReason(err));
}

std::string FileFailureReason(const FileFailure& f) {
    const std::string system = f.err != 0 ? SystemReasonText(f.err) : std::string();
    // A clause, then the system's reason after a colon when it gave one.
    const auto clause = [&](const char* utf8) {
        return utf8ToWin1252(utf8) + (system.empty() ? std::string() : ": " + system);
    };
    switch (f.kind) {
        case FileFailureKind::None:
            return "";
        case FileFailureKind::Write:
            return f.err != 0 ? system : utf8ToWin1252("o disco não aceitou mais nenhum byte");
        case FileFailureKind::CreateInFolder:
            return utf8ToWin1252("não foi possível criar um arquivo na pasta \"") +
                   TextFromFileName(FolderOfFile(f.file)) + "\"" +
                   (system.empty() ? std::string() : ": " + system);
        case FileFailureKind::KeepOwner:
            return clause("não foi possível manter o dono do arquivo anterior");
        case FileFailureKind::KeepPermissions:
            return clause("não foi possível manter as permissões do arquivo anterior");
        case FileFailureKind::SetPermissions:
            return clause("não foi possível definir as permissões do arquivo");
        case FileFailureKind::Replace:
            return clause("o arquivo novo não pôde tomar o lugar do anterior");
        case FileFailureKind::NameHasNul:
            return utf8ToWin1252("o nome tem um byte nulo");
        case FileFailureKind::NoReader:
            return utf8ToWin1252("nenhum programa lê deste FIFO");
        case FileFailureKind::NotRegular:
            return utf8ToWin1252("não é um arquivo comum");
        case FileFailureKind::NotOpen:
            return utf8ToWin1252("o arquivo não está aberto");
        case FileFailureKind::CutShort:
            return utf8ToWin1252("o arquivo não foi gravado por inteiro");
        case FileFailureKind::ForeignLink:
            return utf8ToWin1252(
                "é um link de outro usuário numa pasta compartilhada, e não é seguido");
    }
    return "";
}

std::string FileFailureText(const FileFailure& f) {
    if (f.kind == FileFailureKind::None) {
        return "";
    }
    // A name with a NUL byte is shown up to it, as the system would read it.
    return utf8ToWin1252("Não foi possível gravar \"") + TextFromFileName(f.file.c_str()) +
           "\": " + FileFailureReason(f);
}

std::string FileFailureBelow(const FileFailure& failure, const std::string& shownFile) {
    return failure.file == shownFile ? FileFailureReason(failure) : FileFailureText(failure);
}

std::string ReadFailureReason(const WholeFileFault& fault, const std::string& limit) {
    switch (fault.kind) {
        case WholeFileFault::Kind::Folder:
            return utf8ToWin1252("é uma pasta");
        case WholeFileFault::Kind::NotRegular:
            return utf8ToWin1252("não é um arquivo comum (é um FIFO, um dispositivo ou um socket)");
        case WholeFileFault::Kind::TooLarge:
            return utf8ToWin1252("tem mais de " + limit);
        case WholeFileFault::Kind::CannotOpen:
        case WholeFileFault::Kind::CannotRead:
            break;
    }
    return SystemReasonText(fault.error);
}

}  // namespace vm
