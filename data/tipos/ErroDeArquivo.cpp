#include "ErroDeArquivo.h"

#include <QDir>

#include <cerrno>
#include <cstring>

namespace ErroDeArquivo {

QString motivo(int erro) {
    switch (erro) {
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("o disco está cheio");
    case EACCES:
    case EPERM:
        return QStringLiteral("não há permissão para gravar nesse lugar");
    case ENOENT:
        return QStringLiteral("a pasta não existe");
    case ENOTDIR:
        return QStringLiteral("uma parte do caminho não é uma pasta");
    case EROFS:
        return QStringLiteral("o disco só permite leitura");
    case ENAMETOOLONG:
        return QStringLiteral("o nome é longo demais");
    case EISDIR:
        return QStringLiteral("o nome é o de uma pasta");
    case EIO:
        return QStringLiteral("o disco falhou ao gravar (erro de entrada e saída)");
    case EFBIG:
        return QStringLiteral("o arquivo ficou grande demais para esse disco");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("há arquivos abertos demais");
    case ELOOP:
        return QStringLiteral("o caminho tem atalhos (links) demais em sequência");
    default:
        return QStringLiteral("erro %1 do sistema (%2)")
            .arg(erro)
            .arg(QString::fromLocal8Bit(std::strerror(erro)));
    }
}

ErroSistema aoGravar(const QString &arquivo, int erro) {
    return ErroSistema(QStringLiteral("Não foi possível gravar o arquivo %1: %2.")
                           .arg(QDir::toNativeSeparators(arquivo), motivo(erro)));
}

ErroSistema naPastaTemporaria(const QString &pasta, int erro) {
    const QString onde = QDir::toNativeSeparators(pasta);
    if (erro == ENOSPC || erro == EDQUOT)
        return ErroSistema(QStringLiteral("A pasta temporária %1 está cheia: libere espaço no "
                                          "disco dela e tente de novo.")
                               .arg(onde));
    return ErroSistema(QStringLiteral("Não foi possível gravar na pasta temporária %1: %2.")
                           .arg(onde, motivo(erro)));
}

ErroSistema naoGravado(const QString &arquivo, const ErroSistema &causa) {
    const QString nome = QDir::toNativeSeparators(arquivo);
    if (causa.mensagem().contains(nome))
        return causa;
    return ErroSistema(
        QStringLiteral("O arquivo %1 não foi gravado. %2").arg(nome, causa.mensagem()),
        causa.codigos());
}

} // namespace ErroDeArquivo
