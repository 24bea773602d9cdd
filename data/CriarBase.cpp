// talvano-criar-base: creates the database file the program works on; on a server, the shared
// register and the desks' accounts; on a desk, the setting that points it at the server.
#include "AcessoBanco.h"
#include "Datamodule1.h"
#include "ErroSistema.h"
#include "Esquema.h"
#include "Firebird.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <ibase.h>
#include <iostream>
#include <pwd.h>
#include <string>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace {

const char k_uso[] =
    "Uso:\n"
    "  talvano-criar-base [--modo simples|completo] [CAMINHO]\n"
    "      cria o banco de dados desta máquina (~/Talvano/DADOS.GDB se não houver CAMINHO)\n"
    "  talvano-criar-base --servidor [SERVIDOR:]CAMINHO --conta NOME [--conta NOME...]\n"
    "                     [--modo simples|completo]\n"
    "      no servidor: cria o banco de dados compartilhado no Firebird do servidor (ou só\n"
    "      cadastra as contas, se ele já existe); pede a senha do administrador do Firebird\n"
    "      (SYSDBA) e a de cada conta\n"
    "  talvano-criar-base --estacao SERVIDOR:CAMINHO --conta NOME\n"
    "      em cada estação: grava o endereço do servidor e a conta desta estação (a senha é\n"
    "      pedida e fica em ~/.config/Talvano/servidor.conf, legível só por você)\n";

// A password from the terminal, without echo; from a pipe, its next line. Never from the
// command line, which every user of the machine can read in the process list.
QString lerSenha(const QString &pergunta) {
    std::cerr << pergunta.toStdString() << std::flush;
    termios antes{};
    const bool terminal = ::isatty(STDIN_FILENO) && ::tcgetattr(STDIN_FILENO, &antes) == 0;
    if (terminal) {
        termios sem = antes;
        sem.c_lflag &= ~tcflag_t(ECHO);
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &sem);
    }
    std::string linha;
    std::getline(std::cin, linha);
    if (terminal) {
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &antes);
        std::cerr << '\n';
    }
    return QString::fromStdString(linha);
}

QString senhaNova(const QString &conta) {
    const QString senha = lerSenha(QStringLiteral("Senha para a conta %1: ").arg(conta));
    if (::isatty(STDIN_FILENO) &&
        lerSenha(QStringLiteral("Repita a senha da conta %1: ").arg(conta)) != senha)
        throw ErroSistema(QStringLiteral("As duas senhas digitadas para a conta %1 não são iguais. "
                                         "Nada foi alterado.")
                              .arg(conta));
    return senha;
}

// "/srv/talvano/DADOS.GDB" alone is the server of this machine.
QString noServidor(const QString &endereco) {
    return AcessoBanco::enderecoDeServidor(endereco) ? endereco
                                                     : QStringLiteral("localhost:") + endereco;
}

// What the server's own configuration should say for the desks, when this machine is the
// server and its configuration does not say it yet.
void lembrarConfiguracaoDoServidor(QTextStream &saida) {
    QFile conf(QStringLiteral("/etc/firebird/3.0/firebird.conf"));
    if (!conf.open(QIODevice::ReadOnly))
        return;
    QStringList ativas;
    for (const QByteArray &linha : conf.readAll().split('\n'))
        if (!linha.trimmed().startsWith('#'))
            ativas << QString::fromUtf8(linha.simplified());
    const auto tem = [&](const QString &inicio) {
        return std::any_of(ativas.begin(), ativas.end(),
                           [&](const QString &l) { return l.startsWith(inicio); });
    };
    QStringList faltam;
    if (tem(QStringLiteral("RemoteBindAddress = localhost")))
        faltam << QStringLiteral("  #RemoteBindAddress = localhost   (sem isso as outras "
                                 "estações não alcançam o servidor)");
    if (!tem(QStringLiteral("WireCrypt = Required")))
        faltam << QStringLiteral("  WireCrypt = Required   (só conversa criptografada)");
    if (!tem(QStringLiteral("TcpRemoteBufferSize = 1448")))
        faltam << QStringLiteral("  TcpRemoteBufferSize = 1448   (a primeira tela das buscas "
                                 "chega mais depressa)");
    if (!faltam.isEmpty())
        saida << "\nNo arquivo /etc/firebird/3.0/firebird.conf deste servidor, deixe assim e "
                 "reinicie o Firebird (sudo systemctl restart firebird3.0):\n"
              << faltam.join(u'\n') << "\n";
}

// On the server itself, the register's folder, when missing, is made for the server's
// account (Debian's Firebird runs as "firebird"), which writes the database there.
void prepararPastaNoServidor(const AcessoBanco &admin) {
    const QString servidor = admin.servidor().section(u'/', 0, 0);
    if (servidor != QLatin1String("localhost") && servidor != QLatin1String("127.0.0.1"))
        return;
    const QString pasta = QFileInfo(admin.caminho()).path();
    if (QFileInfo(pasta).isDir())
        return;
    const passwd *firebird = ::getpwnam("firebird");
    if (::geteuid() != 0 || !firebird)
        throw ErroSistema(QStringLiteral("A pasta %1 não existe. Crie-a para o Firebird do "
                                         "servidor gravar nela, por exemplo:\n\nsudo install -d "
                                         "-o firebird -g firebird -m 0770 %1")
                              .arg(pasta));
    if (!QDir().mkpath(pasta) ||
        ::chown(QFile::encodeName(pasta).constData(), firebird->pw_uid, firebird->pw_gid) != 0 ||
        ::chmod(QFile::encodeName(pasta).constData(), 0770) != 0)
        throw ErroSistema(
            QStringLiteral("Não foi possível criar a pasta %1 para o Firebird.").arg(pasta));
}

void criarNoServidor(const QString &endereco, Esquema::Modo modo, const QStringList &nomes,
                     QTextStream &saida) {
    if (nomes.isEmpty())
        throw ErroSistema(QStringLiteral("Diga com --conta NOME a conta de cada estação."));
    Esquema::verificarNomesDeConta(nomes); // before any password is asked
    AcessoBanco admin{noServidor(endereco), QStringLiteral("SYSDBA"), {}, {}};
    prepararPastaNoServidor(admin);
    admin.senha = lerSenha(QStringLiteral("Senha do administrador do Firebird (SYSDBA) em %1: ")
                               .arg(admin.servidor()));
    QList<Esquema::Conta> contas;
    for (const QString &nome : nomes)
        contas.append({nome, senhaNova(nome)});
    bool existe = true;
    try {
        Fb::Conexao teste;
        teste.configurar(admin.banco, admin.usuario, admin.senha);
        teste.conectar();
    } catch (const ErroSistema &e) {
        if (!e.temCodigo(isc_io_error))
            throw;
        existe = false;
    }
    if (existe) {
        Esquema::cadastrarContas(admin, contas);
        saida << "O banco de dados " << admin.descricao()
              << " já existia: contas cadastradas: " << nomes.join(QStringLiteral(", ")) << "\n";
    } else {
        Esquema::criarNoServidor(admin, modo, contas);
        saida << "Banco de dados criado: " << admin.descricao()
              << "\nContas das estações: " << nomes.join(QStringLiteral(", ")) << "\n";
    }
    lembrarConfiguracaoDoServidor(saida);
}

void configurarEstacao(const QString &endereco, const QStringList &nomes, QTextStream &saida) {
    if (!AcessoBanco::enderecoDeServidor(endereco))
        throw ErroSistema(QStringLiteral("\"%1\" não é o endereço de um servidor: escreva "
                                         "SERVIDOR:CAMINHO, por exemplo "
                                         "escritorio:/srv/talvano/DADOS.GDB.")
                              .arg(endereco));
    if (nomes.size() != 1)
        throw ErroSistema(QStringLiteral("Diga com --conta NOME a conta desta estação."));
    AcessoBanco acesso{endereco, nomes.front(), {}, AcessoBanco::papelDasMesas()};
    acesso.senha = lerSenha(QStringLiteral("Senha da conta %1: ").arg(acesso.usuario));
    // Tried before it is kept: a wrong address or password is told now, not at the next start.
    {
        TDatamodule1 dm(acesso);
        dm.garantirConexao();
        dm.Configuracao->abrir();
    }
    AcessoBanco::gravarMesa(acesso);
    saida << "Esta estação passa a usar " << acesso.descricao() << " com a conta " << acesso.usuario
          << ".\nConfiguração gravada em " << QDir::toNativeSeparators(AcessoBanco::arquivoDaMesa())
          << "\n";
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    QTextStream saida(stdout), erro(stderr);
    const QString uso = QString::fromUtf8(k_uso);

    Esquema::Modo modo = Esquema::Modo::Simples;
    QString caminho, servidor, estacao;
    QStringList contas;
    const QStringList args = app.arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        const bool temValor = i + 1 < args.size();
        if (a == QLatin1String("--modo") && temValor) {
            const QString m = args[++i];
            if (m == QLatin1String("simples"))
                modo = Esquema::Modo::Simples;
            else if (m == QLatin1String("completo"))
                modo = Esquema::Modo::Completo;
            else {
                erro << "Modo desconhecido: " << m << "\n" << uso;
                return 2;
            }
        } else if (a == QLatin1String("--servidor") && temValor) {
            servidor = args[++i];
        } else if (a == QLatin1String("--estacao") && temValor) {
            estacao = args[++i];
        } else if (a == QLatin1String("--conta") && temValor) {
            contas << args[++i];
        } else if (a == QLatin1String("--ajuda") || a == QLatin1String("-h") ||
                   a == QLatin1String("--help")) {
            saida << uso;
            return 0;
        } else if (a.startsWith(QLatin1Char('-')) || !caminho.isEmpty()) {
            erro << "Argumento inválido: " << a << "\n" << uso;
            return 2;
        } else {
            caminho = a;
        }
    }
    if (int(!caminho.isEmpty()) + int(!servidor.isEmpty()) + int(!estacao.isEmpty()) > 1 ||
        (!contas.isEmpty() && servidor.isEmpty() && estacao.isEmpty())) {
        erro << uso;
        return 2;
    }
    if (caminho.isEmpty())
        caminho = TDatamodule1::caminhoPadrao();

    int status = 0;
    try {
        if (!servidor.isEmpty()) {
            criarNoServidor(servidor, modo, contas, saida);
        } else if (!estacao.isEmpty()) {
            configurarEstacao(estacao, contas, saida);
        } else {
            Esquema::criarBanco(caminho, modo);
            saida << "Banco de dados criado em " << QDir::toNativeSeparators(caminho) << "\n";
        }
    } catch (const ErroSistema &e) {
        saida.flush();
        erro << "Erro: " << e.mensagem() << "\n";
        status = 1;
    }
    Fb::encerrar();
    return status;
}
