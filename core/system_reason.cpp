#include "core/system_reason.h"

#include <cerrno>

namespace vm {
namespace {

struct Reason {
    int err;
    const char* words;
};

const Reason kReasons[] = {
    {EPERM, "Operação não permitida"},
    {ENOENT, "Arquivo ou diretório inexistente"},
    {EINTR, "Chamada de sistema interrompida"},
    {EIO, "Erro de entrada/saída"},
    {ENXIO, "Endereço ou dispositivo inexistente"},
    {E2BIG, "Lista de argumentos muito longa"},
    {EBADF, "Descritor de arquivo inválido"},
    {EAGAIN, "Recurso temporariamente indisponível"},
    {ENOMEM, "Não foi possível alocar memória"},
    {EACCES, "Permissão negada"},
    {EFAULT, "Endereço inválido"},
    {EBUSY, "Dispositivo ou recurso ocupado"},
    {EEXIST, "O arquivo já existe"},
    {EXDEV, "Link entre dispositivos inválido"},
    {ENODEV, "Dispositivo inexistente"},
    {ENOTDIR, "Não é um diretório"},
    {EISDIR, "É um diretório"},
    {EINVAL, "Argumento inválido"},
    {ENFILE, "Arquivos abertos demais no sistema"},
    {EMFILE, "Arquivos abertos demais"},
    {ETXTBSY, "Arquivo de programa em uso"},
    {EFBIG, "Arquivo grande demais"},
    {ENOSPC, "Não há espaço disponível no dispositivo"},
    {ESPIPE, "Posicionamento inválido"},
    {EROFS, "Sistema de arquivos somente para leitura"},
    {EMLINK, "Links demais"},
    {EPIPE, "Pipe quebrado"},
    {ENAMETOOLONG, "Nome de arquivo longo demais"},
    {ENOSYS, "Função não implementada"},
    {ENOTEMPTY, "Diretório não vazio"},
    {ELOOP, "Níveis demais de links simbólicos"},
    {EOVERFLOW, "Valor grande demais para o tipo de dado"},
    {EOPNOTSUPP, "Operação sem suporte"},
    {EADDRINUSE, "Endereço já em uso"},
    {ENETDOWN, "A rede não responde"},
    {ENETUNREACH, "A rede está fora de alcance"},
    {ECONNABORTED, "Conexão interrompida"},
    {ECONNRESET, "Conexão fechada pela outra ponta"},
    {ENOTCONN, "Não conectado"},
    {ETIMEDOUT, "Tempo esgotado para a conexão"},
    {ECONNREFUSED, "Conexão recusada"},
    {EHOSTDOWN, "O servidor está desligado"},
    {EHOSTUNREACH, "Não há rota para o servidor"},
    {ESTALE, "Identificador de arquivo obsoleto"},
    {EDQUOT, "Cota de disco excedida"},
    {ECANCELED, "Operação cancelada"},
};

}  // namespace

std::string PortugueseSystemReason(int err) {
    for (const Reason& reason : kReasons) {
        if (reason.err == err) {
            return reason.words;
        }
    }
    return "erro número " + std::to_string(err) + " do sistema";
}

}  // namespace vm
