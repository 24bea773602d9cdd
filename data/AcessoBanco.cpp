#include "AcessoBanco.h"

#include "Datamodule1.h"
#include "ErroDeArquivo.h"
#include "ErroSistema.h"
#include "Firebird.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringList>

#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char k_variavelServidor[] = "TALVANO_SERVIDOR";
constexpr char k_variavelConta[] = "TALVANO_CONTA";

struct Mesa {
    QString banco, conta, senha;
};

QString nativo(const QString &caminho) {
    return QDir::toNativeSeparators(caminho);
}

// The setting file, read only when it is a plain file of this user's that nobody else can
// read: it holds a password. Empty when there is no file.
std::optional<Mesa> lerMesa(const QString &arquivo) {
    const QByteArray nome = QFile::encodeName(arquivo);
    const int fd = ::open(nome.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        const int erro = errno;
        if (erro == ENOENT)
            return std::nullopt;
        if (erro == ELOOP)
            throw ErroSistema(
                QStringLiteral("A configuração do servidor, %1, é um link para outro "
                               "arquivo. Por segurança o programa só lê esse arquivo "
                               "quando ele é um arquivo comum seu: troque o link pelo "
                               "próprio arquivo.")
                    .arg(nativo(arquivo)));
        throw ErroSistema(QStringLiteral("Não foi possível ler a configuração do servidor, %1: %2.")
                              .arg(nativo(arquivo), ErroDeArquivo::motivo(erro)));
    }
    struct stat st {};
    QByteArray conteudo;
    const bool lido = ::fstat(fd, &st) == 0;
    if (lido && S_ISREG(st.st_mode) && st.st_uid == ::getuid() && !(st.st_mode & 077)) {
        char pedaco[4096];
        for (ssize_t n; (n = ::read(fd, pedaco, sizeof pedaco)) > 0 && conteudo.size() < 65536;)
            conteudo.append(pedaco, qsizetype(n));
    }
    ::close(fd);
    if (!lido || !S_ISREG(st.st_mode))
        throw ErroSistema(QStringLiteral("A configuração do servidor, %1, não é um arquivo comum.")
                              .arg(nativo(arquivo)));
    if (st.st_uid != ::getuid())
        throw ErroSistema(
            QStringLiteral("A configuração do servidor, %1, pertence a outro usuário. "
                           "Ela guarda a senha da conta desta estação: o programa só "
                           "a usa quando o arquivo é seu.")
                .arg(nativo(arquivo)));
    if (st.st_mode & 077)
        throw ErroSistema(
            QStringLiteral("A configuração do servidor, %1, guarda a senha da conta desta estação "
                           "e pode ser lida por outros usuários deste computador (permissões %2). "
                           "Por segurança o programa não a usa. Deixe-a legível só por você com "
                           "o comando:\n\nchmod 600 %3")
                .arg(nativo(arquivo))
                .arg(st.st_mode & 0777, 4, 8, QLatin1Char('0'))
                .arg(nativo(arquivo)));
    Mesa mesa;
    for (QByteArray bruta : conteudo.split('\n')) {
        if (bruta.endsWith('\r'))
            bruta.chop(1);
        const QString linha = QString::fromUtf8(bruta);
        if (linha.trimmed().isEmpty() || linha.trimmed().startsWith(u'#'))
            continue;
        const qsizetype igual = linha.indexOf(u'=');
        const QString chave = linha.left(igual).trimmed().toLower();
        const QString valor = igual < 0 ? QString() : linha.mid(igual + 1);
        if (chave == QLatin1String("banco"))
            mesa.banco = valor.trimmed();
        else if (chave == QLatin1String("conta"))
            mesa.conta = valor.trimmed();
        else if (chave == QLatin1String("senha"))
            mesa.senha = valor; // as written: a password may begin or end with a space
    }
    return mesa;
}

} // namespace

bool AcessoBanco::enderecoDeServidor(const QString &banco) {
    return Fb::enderecoDeServidor(banco);
}

bool AcessoBanco::noServidor() const {
    return enderecoDeServidor(banco);
}

QString AcessoBanco::servidor() const {
    return noServidor() ? Fb::servidorDe(banco) : QString();
}

QString AcessoBanco::caminho() const {
    return noServidor() ? Fb::caminhoNoServidor(banco) : banco;
}

QString AcessoBanco::descricao() const {
    if (!noServidor())
        return nativo(banco);
    return QStringLiteral("%1 no servidor %2").arg(caminho(), servidor());
}

AcessoBanco AcessoBanco::local(const QString &caminho) {
    return {caminho, QString::fromLatin1(TDatamodule1::usuario()),
            QString::fromLatin1(TDatamodule1::senha()), QString()};
}

QString AcessoBanco::arquivoDaMesa() {
    return QDir::homePath() + QStringLiteral("/.config/Talvano/servidor.conf");
}

AcessoBanco AcessoBanco::para(const QString &banco) {
    if (!enderecoDeServidor(banco))
        return local(banco);
    const QString arquivo = arquivoDaMesa();
    const std::optional<Mesa> mesa = lerMesa(arquivo);
    AcessoBanco acesso{banco, mesa ? mesa->conta : QString(), mesa ? mesa->senha : QString(),
                       papelDasMesas()};
    if (const QByteArray conta = qgetenv(k_variavelConta); !conta.isEmpty())
        acesso.usuario = QString::fromUtf8(conta);
    if (acesso.usuario.isEmpty() || acesso.senha.isEmpty())
        throw ErroSistema(
            QStringLiteral("O banco de dados está no servidor (%1), mas esta estação não tem a "
                           "conta e a senha para entrar nele. Grave-as uma vez com o comando:\n\n"
                           "talvano-criar-base --estacao %2 --conta NOME\n\n"
                           "(a senha é pedida no terminal e fica em %3, legível só por você).")
                .arg(acesso.descricao(), banco, nativo(arquivo)));
    return acesso;
}

AcessoBanco AcessoBanco::daMesa() {
    if (const QByteArray servidor = qgetenv(k_variavelServidor); !servidor.isEmpty())
        return para(QString::fromUtf8(servidor));
    const std::optional<Mesa> mesa = lerMesa(arquivoDaMesa());
    if (!mesa || mesa->banco.isEmpty())
        return local(TDatamodule1::caminhoPadrao());
    return para(mesa->banco);
}

void AcessoBanco::gravarMesa(const AcessoBanco &acesso, const QString &arquivo) {
    const QString pasta = QFileInfo(arquivo).absolutePath();
    if (!QDir().mkpath(pasta))
        throw ErroSistema(QStringLiteral("Não foi possível criar a pasta %1.").arg(nativo(pasta)));
    const QByteArray conteudo =
        QStringLiteral("# O banco de dados desta estação e a conta com que ela entra nele.\n"
                       "# Guarda uma senha: deve ser legível só pelo dono (chmod 600).\n"
                       "banco=%1\nconta=%2\nsenha=%3\n")
            .arg(acesso.banco, acesso.usuario, acesso.senha)
            .toUtf8();
    QByteArray temporario = QFile::encodeName(arquivo + QStringLiteral(".novo-XXXXXX"));
    const int fd = ::mkostemp(temporario.data(), O_CLOEXEC); // mode 0600 from the start
    int erro = fd < 0 ? errno : 0;
    if (fd >= 0) {
        qsizetype escrito = 0;
        while (!erro && escrito < conteudo.size()) {
            const ssize_t n =
                ::write(fd, conteudo.constData() + escrito, size_t(conteudo.size() - escrito));
            if (n < 0 && errno != EINTR)
                erro = errno;
            else if (n > 0)
                escrito += n;
        }
        if (!erro && ::fsync(fd) != 0)
            erro = errno;
        if (::close(fd) != 0 && !erro)
            erro = errno;
        if (!erro && ::rename(temporario.constData(), QFile::encodeName(arquivo).constData()) != 0)
            erro = errno;
        if (erro)
            ::unlink(temporario.constData());
    }
    if (erro)
        throw ErroSistema(QStringLiteral("Não foi possível gravar a configuração do servidor em "
                                         "%1: %2. A configuração anterior continua como estava.")
                              .arg(nativo(arquivo), ErroDeArquivo::motivo(erro)));
}
