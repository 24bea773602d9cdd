#include "Copias.h"

#include "AcessoBanco.h"

#include "Datamodule1.h"
#include "ErroDeArquivo.h"
#include "ErroSistema.h"
#include "Firebird.h"
#include "ProcessoAuxiliar.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QLockFile>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStorageInfo>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <ibase.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString k_sufixoFalha = QStringLiteral("-FALHOU-NA-VERIFICACAO");
const QString k_registro = QStringLiteral(".verificacao");

QString nativo(const QString &caminho) {
    return QDir::toNativeSeparators(caminho);
}

QString tamanhoLegivel(qint64 bytes) {
    return QLocale(QLocale::Portuguese, QLocale::Brazil)
        .formattedDataSize(bytes, 1, QLocale::DataSizeTraditionalFormat);
}

// What a backup and its verification may leave on a disk, with room to spare for the program
// to run afterwards (its lock files, a day's work): a backup never takes that room.
qint64 margem(qint64 tamanhoDoBanco) {
    return (qint64(64) << 20) + tamanhoDoBanco / 10;
}

// The file's identity on its disk: a record names the backup it was written for, so a
// record left beside another file (a kill between the rename and the record) is not believed.
QString identidade(const QString &arquivo) {
    struct stat st;
    if (::stat(QFile::encodeName(arquivo).constData(), &st) != 0)
        return {};
    return QStringLiteral("%1:%2").arg(qulonglong(st.st_ino)).arg(qlonglong(st.st_size));
}

// The figures and the verdict of a backup, in a small text file beside it.
struct Registro {
    bool verificada = false;
    QDateTime quando;
    std::optional<ContagemBanco> contagem;
    QString motivo;
    qint64 ordem = 0; // the backups of a folder in the order they were made, whatever the clock
};

void gravarRegistro(const QString &arquivo, const Registro &r) {
    QSaveFile f(arquivo + k_registro);
    if (!f.open(QIODevice::WriteOnly))
        return;
    QString texto =
        QStringLiteral("resultado=%1\nquando=%2\nordem=%3\narquivo=%4\n")
            .arg(r.verificada ? QStringLiteral("verificada") : QStringLiteral("falhou"),
                 r.quando.toString(Qt::ISODate), QString::number(r.ordem), identidade(arquivo));
    if (r.contagem)
        texto += QStringLiteral("contagem=%1\n").arg(r.contagem->paraTexto());
    if (!r.motivo.isEmpty())
        texto += QStringLiteral("motivo=%1\n").arg(QString(r.motivo).replace(u'\n', u' '));
    f.write(texto.toUtf8());
    f.commit();
}

std::optional<Registro> lerRegistro(const QString &arquivo) {
    QFile f(arquivo + k_registro);
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    Registro r;
    bool temResultado = false;
    for (const QString &linha : QString::fromUtf8(f.readAll()).split(u'\n')) {
        const QString chave = linha.section(u'=', 0, 0), valor = linha.section(u'=', 1);
        if (chave == QLatin1String("resultado")) {
            temResultado = true;
            r.verificada = valor == QLatin1String("verificada");
        } else if (chave == QLatin1String("quando")) {
            r.quando = QDateTime::fromString(valor, Qt::ISODate);
        } else if (chave == QLatin1String("contagem")) {
            r.contagem = ContagemBanco::deTexto(valor);
        } else if (chave == QLatin1String("motivo")) {
            r.motivo = valor;
        } else if (chave == QLatin1String("ordem")) {
            r.ordem = valor.toLongLong();
        } else if (chave == QLatin1String("arquivo") && valor != identidade(arquivo)) {
            return std::nullopt; // the record of another file that had this name
        }
    }
    if (!temResultado)
        return std::nullopt;
    return r;
}

void apagarCopia(const QString &arquivo) {
    QFile::remove(arquivo);
    QFile::remove(arquivo + k_registro);
}

// Puts `de` in the place of `para` in one step, replacing what is there.
bool trocar(const QString &de, const QString &para) {
    return std::rename(QFile::encodeName(de).constData(), QFile::encodeName(para).constData()) == 0;
}

QString comSufixoDeFalha(const QString &arquivo) {
    const QFileInfo info(arquivo);
    const QString sufixo = info.suffix().isEmpty() ? QString() : u'.' + info.suffix();
    return info.dir().filePath(info.completeBaseName() + k_sufixoFalha + sufixo);
}

bool semEspaco(const QString &pasta, const QString &texto) {
    const QStorageInfo disco(pasta);
    return texto.contains(QLatin1String("No space left"), Qt::CaseInsensitive) ||
           texto.contains(QLatin1String("disk space exhausted"), Qt::CaseInsensitive) ||
           texto.contains(QLatin1String("disco está cheio")) ||
           (disco.isValid() && disco.bytesAvailable() < 1024 * 1024);
}

// The engine's words, led by what they mean to the user: a full disk, a file that is no
// backup at all, a backup of another database.
QString explicarFalha(const QString &arquivo, const QString &pasta, const QString &texto,
                      const QString &depoisDeLiberar) {
    if (semEspaco(pasta, texto))
        return QStringLiteral("Não há espaço no disco de %1. Libere espaço e %2.\n\n%3")
            .arg(nativo(pasta), depoisDeLiberar, texto);
    if (texto.contains(QLatin1String("expected backup description record")) ||
        texto.contains(QLatin1String("not a valid backup")) ||
        texto.contains(QLatin1String("Invalid format")))
        return QStringLiteral("O arquivo %1 não é uma cópia de segurança de banco de dados: ele "
                              "não começa como uma. Escolha um arquivo .fbk feito pelo "
                              "Talvano.\n\n%2")
            .arg(nativo(arquivo), texto);
    if (texto.contains(QLatin1String("Table unknown")))
        return QStringLiteral("O arquivo %1 é a cópia de outro banco de dados, não do Talvano: "
                              "não tem as tabelas de recibos e clientes.\n\n%2")
            .arg(nativo(arquivo), texto);
    return texto;
}

// Whether the file begins as every backup of the engine does: its first record (0) with the
// backup format attribute (2), four bytes long. An empty file, a text or a picture does not,
// and the engine, handed one to restore, now and then dies instead of saying so.
bool comecaComoCopia(const QString &arquivo) {
    QFile f(arquivo);
    return f.open(QIODevice::ReadOnly) && f.read(3) == QByteArray("\x00\x02\x04", 3);
}

// A helper's scratch files left by one that was killed: their names carry its process id.
void apagarRestosDeAuxiliares(const QString &pasta) {
    static const QRegularExpression nome(
        QStringLiteral("\\.(?:parcial|verificando|restaurando)-(\\d+)"));
    const QDir dir(pasta);
    for (const QString &f : dir.entryList(QDir::Files | QDir::Hidden)) {
        const auto m = nome.match(f);
        if (!m.hasMatch())
            continue;
        const pid_t pid = pid_t(m.captured(1).toLongLong());
        if (pid != ::getpid() && ::kill(pid, 0) != 0 && errno == ESRCH)
            QFile::remove(dir.filePath(f));
    }
}

QString sufixoDoProcesso() {
    return QStringLiteral("-%1").arg(::getpid());
}

// The scratch database a verification restores into, in `pasta`.
QString rascunhoDeVerificacao(const QString &pasta) {
    return QDir(pasta).filePath(QStringLiteral(".verificando") + sufixoDoProcesso() +
                                QStringLiteral(".fdb"));
}

bool podeGravar(const QString &pasta) {
    return QFileInfo(pasta).isDir() && ::access(QFile::encodeName(pasta).constData(), W_OK) == 0;
}

bool mesmoDisco(const QString &a, const QString &b) {
    struct stat sa, sb;
    return ::stat(QFile::encodeName(a).constData(), &sa) == 0 &&
           ::stat(QFile::encodeName(b).constData(), &sb) == 0 && sa.st_dev == sb.st_dev;
}

// The folder of the user's own where notes about backups are kept, whatever folder the
// database is in (a read-only one too): $XDG_STATE_HOME/talvano, or ~/.local/state/talvano.
QString pastaDeEstado() {
    QString base = qEnvironmentVariable("XDG_STATE_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/state");
    const QString pasta = base + QStringLiteral("/talvano");
    QDir().mkpath(pasta);
    return pasta;
}

// A file of pastaDeEstado() that belongs to one database.
QString arquivoDeEstado(const QString &banco, const QString &tipo) {
    const QByteArray marca =
        QCryptographicHash::hash(QFile::encodeName(banco), QCryptographicHash::Sha1)
            .toHex()
            .left(12);
    return pastaDeEstado() + u'/' + tipo + u'-' + QString::fromLatin1(marca);
}

// Copies a whole file into a new one that must not exist, and syncs it.
bool copiarArquivo(const QString &de, const QString &para) {
    const int origem = ::open(QFile::encodeName(de).constData(), O_RDONLY | O_CLOEXEC);
    if (origem < 0)
        return false;
    const int destino =
        ::open(QFile::encodeName(para).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (destino < 0) {
        ::close(origem);
        return false;
    }
    bool ok = true;
    for (;;) {
        const ssize_t n = ::copy_file_range(origem, nullptr, destino, nullptr, size_t(1) << 30, 0);
        if (n > 0)
            continue;
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            // Plain reads and writes where the kernel cannot copy by itself.
            char bloco[1 << 16];
            for (ssize_t lidos; (lidos = ::read(origem, bloco, sizeof bloco)) != 0;) {
                if (lidos < 0 || ::write(destino, bloco, size_t(lidos)) != lidos) {
                    ok = false;
                    break;
                }
            }
        }
        break;
    }
    struct stat st;
    if (ok && ::fstat(origem, &st) == 0)
        ::fchmod(destino, st.st_mode & 07777);
    ok = ok && ::fsync(destino) == 0;
    ::close(origem);
    ok = ::close(destino) == 0 && ok;
    if (!ok)
        QFile::remove(para);
    return ok;
}

} // namespace

Copias::Copias(const QString &banco, const QString &pastaEscolhida)
    : m_banco(AcessoBanco::enderecoDeServidor(banco) ? banco : QFileInfo(banco).absoluteFilePath()),
      m_pastaEscolhida(pastaEscolhida) {}

bool Copias::noServidor() const {
    return AcessoBanco::enderecoDeServidor(m_banco);
}

QString Copias::nomeDoBanco() const {
    return QFileInfo(noServidor() ? Fb::caminhoNoServidor(m_banco) : m_banco).completeBaseName();
}

QString Copias::pastaPadrao() const {
    // A register on a server is backed up here, by whoever runs the backup: into the
    // backups folder of this user's own register.
    if (noServidor())
        return QFileInfo(TDatamodule1::caminhoPadrao()).dir().filePath(QStringLiteral("Copias"));
    return QFileInfo(m_banco).dir().filePath(QStringLiteral("Copias"));
}

qint64 Copias::tamanhoDoBanco() const {
    if (!noServidor())
        return QFileInfo(m_banco).size();
    const AcessoBanco acesso = AcessoBanco::para(m_banco);
    Fb::Conexao conexao;
    conexao.configurar(acesso.banco, acesso.usuario, acesso.senha, acesso.papel);
    conexao.conectar();
    Fb::Transacao tra(conexao);
    tra.iniciar();
    return Fb::Comando(tra, QStringLiteral("SELECT MON$PAGES * MON$PAGE_SIZE FROM MON$DATABASE"))
        .executar()
        .at(0)
        .toLongLong();
}

bool Copias::pastaEscolhidaFaltando() const {
    return !m_pastaEscolhida.isEmpty() && !QFileInfo(m_pastaEscolhida).isDir();
}

QString Copias::pasta() const {
    if (m_pastaEscolhida.isEmpty() || pastaEscolhidaFaltando())
        return pastaPadrao();
    return QDir(m_pastaEscolhida).absolutePath();
}

QString Copias::arquivoDoDia(QDate dia) const {
    return QDir(pasta()).filePath(
        nomeDoBanco() + u'-' + dia.toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(".fbk"));
}

QString Copias::pastaDeRascunho(qint64 tamanho, const QString &pastaDaCopia) const {
    const qint64 preciso = tamanho + margem(tamanho);
    QStringList candidatas{QDir::tempPath(), pastaDaCopia};
    if (!noServidor())
        candidatas.insert(1, QFileInfo(m_banco).absolutePath());
    for (const QString &pasta : candidatas) {
        if (!podeGravar(pasta))
            continue;
        // Where the backup itself is written too, both must fit.
        const qint64 aqui =
            !pastaDaCopia.isEmpty() && mesmoDisco(pasta, pastaDaCopia) ? 2 * preciso : preciso;
        if (QStorageInfo(pasta).bytesAvailable() >= aqui)
            return pasta;
    }
    throw ErroSistema(QStringLiteral("Não há espaço livre para verificar a cópia de segurança: "
                                     "restaurá-la para conferir precisa de cerca de %1 livres, "
                                     "além da própria cópia, e nem a pasta temporária %2 nem a "
                                     "pasta %3 têm. Libere espaço no disco e faça a cópia de novo.")
                          .arg(tamanhoLegivel(preciso), nativo(QDir::tempPath()),
                               nativo(QFileInfo(m_banco).absolutePath())));
}

Copias::Resultado Copias::fazer(const QString &arquivoPedido) {
    const QString arquivo = QFileInfo(arquivoPedido).absoluteFilePath();
    const QString pastaDestino = QFileInfo(arquivo).absolutePath();
    if (!noServidor() && !QFileInfo::exists(m_banco))
        throw ErroSistema(QStringLiteral("O banco de dados %1 não existe.").arg(nativo(m_banco)));
    // Never over the database, nor over a file that is not one of our backups.
    const QFileInfo alvo(arquivo);
    if (alvo.exists()) {
        if (alvo.isDir())
            throw ErroSistema(
                QStringLiteral("%1 é uma pasta: dê o nome do arquivo da cópia, por "
                               "exemplo %2. Nada foi alterado.")
                    .arg(nativo(arquivo), nativo(arquivo + QStringLiteral("/DADOS.fbk"))));
        struct stat a, b;
        if (::stat(QFile::encodeName(arquivo).constData(), &a) == 0 &&
            ::stat(QFile::encodeName(m_banco).constData(), &b) == 0 && a.st_dev == b.st_dev &&
            a.st_ino == b.st_ino)
            throw ErroSistema(QStringLiteral("%1 é o próprio banco de dados: a cópia de segurança "
                                             "não pode ser gravada sobre ele. Dê outro nome à "
                                             "cópia. Nada foi alterado.")
                                  .arg(nativo(arquivo)));
        if (!lerRegistro(arquivo))
            throw ErroSistema(QStringLiteral("O arquivo %1 já existe e não é uma cópia de "
                                             "segurança feita por este programa: ele não será "
                                             "substituído. Dê outro nome à cópia. Nada foi "
                                             "alterado.")
                                  .arg(nativo(arquivo)));
    }
    if (!QDir().mkpath(pastaDestino))
        throw ErroSistema(QStringLiteral("Não foi possível criar a pasta %1: verifique se tem "
                                         "permissão de gravar nela.")
                              .arg(nativo(pastaDestino)));
    if (!podeGravar(pastaDestino))
        throw ErroSistema(QStringLiteral("Sem permissão para gravar na pasta %1. A cópia de "
                                         "segurança não foi feita; nada foi alterado.")
                              .arg(nativo(pastaDestino)));
    apagarRestosDeAuxiliares(pastaDestino);

    // The room the backup and its verification need, checked before a byte is written: a
    // backup must never take the room the program needs to start.
    const qint64 tamanhoDoBanco = this->tamanhoDoBanco();
    const qint64 precisoAqui = tamanhoDoBanco + margem(tamanhoDoBanco);
    const qint64 livreAqui = QStorageInfo(pastaDestino).bytesAvailable();
    if (livreAqui < precisoAqui)
        throw ErroSistema(
            QStringLiteral("Não há espaço no disco de %1 para a cópia de segurança: "
                           "ela precisa de cerca de %2 livres, deixando espaço para "
                           "o programa funcionar, e há %3. Libere espaço e faça a "
                           "cópia de novo. Nada foi alterado.")
                .arg(nativo(pastaDestino), tamanhoLegivel(precisoAqui), tamanhoLegivel(livreAqui)));
    const QString rascunho = pastaDeRascunho(tamanhoDoBanco, pastaDestino);

    // Told to a start of the program that comes meanwhile: the database is being copied.
    QLockFile trava(arquivoDaTravaDaCopia());
    trava.tryLock(0);

    QElapsedTimer relogio;
    relogio.start();
    const QString parcial = arquivo + QStringLiteral(".parcial") + sufixoDoProcesso();
    Resultado r;
    try {
        r.contagem = ProcessoAuxiliar::copiar(m_banco, parcial);
    } catch (const ErroSistema &e) {
        QFile::remove(parcial);
        if (e.temCodigo(isc_already_opened))
            throw ErroSistema(QStringLiteral("O banco de dados %1 está aberto no Talvano. Feche o "
                                             "programa e faça a cópia de novo.")
                                  .arg(nativo(m_banco)));
        throw ErroSistema(QStringLiteral("A cópia de segurança de %1 em %2 não foi feita; nada "
                                         "foi alterado.\n\n%3")
                              .arg(nativo(m_banco), nativo(arquivo),
                                   explicarFalha(m_banco, pastaDestino, e.mensagem(),
                                                 QStringLiteral("faça a cópia de novo"))));
    }

    if (const auto motivo = verificarEm(parcial, r.contagem, rascunhoDeVerificacao(rascunho)))
        r.motivo = *motivo;
    else
        r.verificada = true;
    if (ProcessoAuxiliar::interrompido()) {
        QFile::remove(parcial);
        throw ErroSistema(QStringLiteral("A cópia de segurança foi interrompida; nada foi "
                                         "alterado."));
    }
    // A verification that failed for lack of room says nothing of the backup: what it wrote
    // goes, and so does the room it took.
    if (!r.verificada && semEspaco(rascunho, r.motivo)) {
        QFile::remove(parcial);
        throw ErroSistema(QStringLiteral("A cópia de segurança de %1 não foi feita: não houve "
                                         "espaço para verificá-la. Nada foi alterado.\n\n%2")
                              .arg(nativo(m_banco), r.motivo));
    }

    qint64 ordem = 0;
    for (const Item &item : listarEm(pastaDestino))
        ordem = qMax(ordem, item.ordem);
    r.arquivo = r.verificada ? arquivo : comSufixoDeFalha(arquivo);
    r.tamanho = QFileInfo(parcial).size();
    // The backup takes its name first, then its record, which names it: a kill in between
    // leaves a backup without a record, never a record that tells of another file.
    if (!trocar(parcial, r.arquivo)) {
        const QString motivo = ErroDeArquivo::motivo(errno);
        QFile::remove(parcial);
        throw ErroSistema(QStringLiteral("Não foi possível dar à cópia de segurança o nome %1: "
                                         "%2.")
                              .arg(nativo(r.arquivo), motivo));
    }
    gravarRegistro(r.arquivo,
                   {r.verificada, QDateTime::currentDateTime(), r.contagem, r.motivo, ordem + 1});
    r.segundos = double(relogio.elapsed()) / 1000.0;
    return r;
}

std::optional<QString> Copias::verificar(const QString &arquivo,
                                         const ContagemBanco &esperada) const {
    try {
        const QString rascunho = pastaDeRascunho(QFileInfo(arquivo).size(), {});
        return verificarEm(arquivo, esperada, rascunhoDeVerificacao(rascunho));
    } catch (const ErroSistema &e) {
        return e.mensagem();
    }
}

std::optional<QString> Copias::verificarEm(const QString &arquivo, const ContagemBanco &esperada,
                                           const QString &rascunho) const {
    QFile::remove(rascunho);
    std::optional<QString> motivo;
    try {
        const ContagemBanco restaurada = ProcessoAuxiliar::restaurar(arquivo, rascunho);
        if (!(restaurada == esperada))
            motivo = QStringLiteral("a cópia restaurada tem %1, e o banco de dados tem %2.")
                         .arg(restaurada.descrever(), esperada.descrever());
    } catch (const ErroSistema &e) {
        motivo = explicarFalha(arquivo, QFileInfo(rascunho).absolutePath(), e.mensagem(),
                               QStringLiteral("faça a cópia de novo"));
    }
    QFile::remove(rascunho);
    return motivo;
}

std::optional<Copias::Resultado> Copias::copiaDiaria(QDate hoje) {
    const QString arquivo = arquivoDoDia(hoje);
    const QString dia = QLocale().toString(hoje, QStringLiteral("dd/MM/yyyy"));
    if (!QFileInfo::exists(m_banco) || QFileInfo::exists(arquivo))
        return std::nullopt;
    // Tells a start of the program that comes meanwhile who holds the database, and why.
    QLockFile trava(arquivoDaTrava());
    trava.tryLock(0);
    QString antes;
    if (pastaEscolhidaFaltando())
        antes = QStringLiteral("A pasta escolhida para as cópias de segurança, %1, não estava "
                               "disponível (um pendrive ou disco fora do lugar?): a cópia de %2 "
                               "foi feita na pasta %3.\n\n")
                    .arg(nativo(m_pastaEscolhida), dia, nativo(pasta()));
    try {
        const Resultado r = fazer(arquivo);
        girar(30, r.arquivo);
        if (!r.verificada)
            deixarAviso(antes +
                        QStringLiteral("A cópia de segurança feita ao fechar o programa em %1 não "
                                       "passou na verificação e não conta como cópia boa. Ela "
                                       "foi guardada como %2.\n\nMotivo: %3")
                            .arg(dia, nativo(r.arquivo), r.motivo));
        else if (!antes.isEmpty())
            deixarAviso(antes.trimmed());
        return r;
    } catch (const ErroSistema &e) {
        if (!ProcessoAuxiliar::interrompido())
            deixarAviso(antes + QStringLiteral("A cópia de segurança de %1 não pôde ser feita ao "
                                               "fechar o programa.\n\n%2")
                                    .arg(dia, e.mensagem()));
        return std::nullopt;
    }
}

void Copias::girar(int quantas, const QString &feita) {
    const QString base = QRegularExpression::escape(nomeDoBanco());
    const QRegularExpression doDia(u'^' + base + QStringLiteral("-\\d{4}-\\d{2}-\\d{2}(") +
                                   k_sufixoFalha + QStringLiteral(")?\\.fbk$"));
    // The day's backups, the last made first: by the order their records keep, then (those
    // made before records kept one) by the date in their names.
    QList<Item> copias;
    for (const Item &item : listarEm(pasta()))
        if (doDia.match(QFileInfo(item.arquivo).fileName()).hasMatch())
            copias << item;
    std::stable_sort(copias.begin(), copias.end(), [](const Item &a, const Item &b) {
        if (a.ordem != b.ordem)
            return a.ordem > b.ordem;
        return QFileInfo(a.arquivo).fileName() > QFileInfo(b.arquivo).fileName();
    });
    const QString protegida = feita.isEmpty() ? QString() : QFileInfo(feita).absoluteFilePath();
    const auto boa = [&](const Item &item) {
        return item.estado == Item::Verificada && !item.arquivo.contains(k_sufixoFalha);
    };
    bool haBoaGuardada = false;
    for (int i = 0; i < copias.size(); ++i) {
        const Item &item = copias[i];
        if (i < quantas || item.arquivo == protegida) {
            haBoaGuardada = haBoaGuardada || boa(item);
            continue;
        }
        if (!haBoaGuardada && boa(item)) {
            haBoaGuardada = true;
            continue;
        }
        apagarCopia(item.arquivo);
    }
}

QString Copias::arquivoDaTrava() const {
    return arquivoDeEstado(m_banco, QStringLiteral("copia-do-programa")) + QStringLiteral(".trava");
}

QString Copias::arquivoDaTravaDaCopia() const {
    return arquivoDeEstado(m_banco, QStringLiteral("copia-em-andamento")) +
           QStringLiteral(".trava");
}

void Copias::interromperCopiaDoPrograma() {
    QLockFile trava(arquivoDaTrava());
    if (trava.tryLock(0))
        return;
    qint64 pid = 0;
    QString maquina, programa;
    // The lock names the process that holds it by its program's file name.
    if (!trava.getLockInfo(&pid, &maquina, &programa) || pid <= 0 ||
        programa != QFileInfo(QCoreApplication::applicationFilePath()).fileName())
        return;
    ::kill(pid_t(pid), SIGTERM);
    // It kills its helper and ends at once; the lock goes with it.
    trava.tryLock(30000);
}

bool Copias::copiaEmAndamento() const {
    QLockFile trava(arquivoDaTravaDaCopia());
    if (trava.tryLock(0)) {
        trava.unlock();
        return false;
    }
    return true;
}

bool Copias::bancoEmUso() const {
    // A server serves many desks at once: being in use is its ordinary state.
    if (noServidor() || !QFileInfo::exists(m_banco))
        return false;
    Fb::Conexao conexao;
    conexao.configurar(m_banco, QString::fromLatin1(TDatamodule1::usuario()),
                       QString::fromLatin1(TDatamodule1::senha()));
    try {
        conexao.conectar();
    } catch (const ErroSistema &e) {
        return e.temCodigo(isc_already_opened) || e.temCodigo(isc_lock_timeout);
    }
    return false;
}

QString Copias::arquivoDoAviso() const {
    return arquivoDeEstado(m_banco, QStringLiteral("aviso-da-copia")) + QStringLiteral(".txt");
}

void Copias::deixarAviso(const QString &texto) {
    QSaveFile f(arquivoDoAviso());
    if (f.open(QIODevice::WriteOnly)) {
        f.write(texto.toUtf8());
        f.commit();
    }
}

std::optional<QString> Copias::tomarAviso() {
    QFile f(arquivoDoAviso());
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QString texto = QString::fromUtf8(f.readAll());
    f.close();
    f.remove();
    return texto;
}

QList<Copias::Item> Copias::listar() const {
    return listarEm(pasta());
}

QList<Copias::Item> Copias::listarEm(const QString &pasta) {
    QList<Item> itens;
    const QDir dir(pasta);
    for (const QFileInfo &info :
         dir.entryInfoList({QStringLiteral("*.fbk")}, QDir::Files, QDir::Time)) {
        Item item;
        item.arquivo = info.absoluteFilePath();
        item.tamanho = info.size();
        item.quando = info.lastModified();
        if (const auto r = lerRegistro(item.arquivo)) {
            item.estado = r->verificada ? Item::Verificada : Item::Falhou;
            if (r->quando.isValid())
                item.quando = r->quando;
            item.contagem = r->contagem;
            item.ordem = r->ordem;
            item.detalhe =
                r->verificada ? (r->contagem ? r->contagem->descrever() : QString()) : r->motivo;
        }
        itens << item;
    }
    std::stable_sort(itens.begin(), itens.end(),
                     [](const Item &a, const Item &b) { return a.ordem > b.ordem; });
    return itens;
}

Copias::Restauracao Copias::restaurar(const QString &arquivoPedido) {
    const QString arquivo = QFileInfo(arquivoPedido).absoluteFilePath();
    if (!QFileInfo(arquivo).isFile())
        throw ErroSistema(QStringLiteral("O arquivo de cópia %1 não existe.").arg(nativo(arquivo)));
    if (!comecaComoCopia(arquivo))
        throw ErroSistema(
            QStringLiteral("A cópia %1 não pôde ser restaurada; nada foi alterado, o banco de "
                           "dados %2 continua como estava.\n\nO arquivo %1 não é uma cópia de "
                           "segurança de banco de dados: ele não começa como uma. Escolha um "
                           "arquivo .fbk feito pelo Talvano.")
                .arg(nativo(arquivo), nativo(m_banco)));
    if (noServidor())
        return restaurarNoServidor(arquivo);
    const QString pastaBanco = QFileInfo(m_banco).absolutePath();
    if (!QDir().mkpath(pastaBanco) || ::access(QFile::encodeName(pastaBanco), W_OK))
        throw ErroSistema(QStringLiteral("Sem permissão para gravar na pasta %1; nada foi "
                                         "alterado.")
                              .arg(nativo(pastaBanco)));
    apagarRestosDeAuxiliares(pastaBanco);

    // Attached, the current database cannot be opened by the program while the copy is restored.
    Fb::Conexao atual;
    const bool existe = QFileInfo::exists(m_banco);
    if (existe) {
        atual.configurar(m_banco, QString::fromLatin1(TDatamodule1::usuario()),
                         QString::fromLatin1(TDatamodule1::senha()));
        try {
            atual.conectar();
        } catch (const ErroSistema &e) {
            if (e.temCodigo(isc_already_opened) || e.temCodigo(isc_lock_timeout))
                throw ErroSistema(QStringLiteral("O banco de dados %1 está aberto no Talvano. "
                                                 "Feche o programa e restaure de novo; nada foi "
                                                 "alterado.")
                                      .arg(nativo(m_banco)));
            // A damaged database is what a restore is for: it is kept aside all the same.
        }
    }
    QLockFile trava(arquivoDaTravaDaCopia());
    trava.tryLock(0);

    const QString rascunho =
        QDir(pastaBanco)
            .filePath(QStringLiteral(".restaurando") + sufixoDoProcesso() + QStringLiteral(".fdb"));
    QFile::remove(rascunho);
    Restauracao r;
    try {
        r.contagem = ProcessoAuxiliar::restaurar(arquivo, rascunho);
    } catch (const ErroSistema &e) {
        QFile::remove(rascunho);
        throw ErroSistema(QStringLiteral("A cópia %1 não pôde ser restaurada; nada foi alterado, "
                                         "o banco de dados %2 continua como estava.\n\n%3")
                              .arg(nativo(arquivo), nativo(m_banco),
                                   explicarFalha(arquivo, pastaBanco, e.mensagem(),
                                                 QStringLiteral("restaure de novo"))));
    }
    if (const auto registro = lerRegistro(arquivo); registro && registro->contagem) {
        if (!(*registro->contagem == r.contagem)) {
            QFile::remove(rascunho);
            throw ErroSistema(
                QStringLiteral("A cópia %1 restaurada não confere com o banco de "
                               "onde foi feita: tem %2, e devia ter %3. Nada foi "
                               "alterado.")
                    .arg(nativo(arquivo), r.contagem.descrever(), registro->contagem->descrever()));
        }
        r.conferidaComRegistro = true;
    }

    atual.desconectar();
    // The current file is kept under a dated name of its own first (a second name for the
    // same file, or a copy where the disk has no second names), never one already in use; the
    // restored one then replaces it in one step. However the run is cut short, DADOS.GDB is
    // one whole database or the other, never missing.
    if (existe) {
        const QDateTime agora = QDateTime::currentDateTime();
        bool guardado = false;
        int erro = 0;
        for (int n = 1; n < 1000; ++n) {
            r.guardado = QFileInfo(m_banco).dir().filePath(nomeDoGuardado(agora, n));
            if (QFileInfo::exists(r.guardado))
                continue;
            if (::link(QFile::encodeName(m_banco).constData(),
                       QFile::encodeName(r.guardado).constData()) == 0) {
                guardado = true;
                break;
            }
            erro = errno;
            if (erro == EEXIST)
                continue; // taken meanwhile
            // A disk without second names: a whole copy under that name instead.
            guardado = copiarArquivo(m_banco, r.guardado);
            erro = errno ? errno : EIO;
            break;
        }
        if (!guardado) {
            QFile::remove(rascunho);
            throw ErroSistema(QStringLiteral("Não foi possível guardar o banco de dados atual "
                                             "como %1: %2. Nada foi alterado.")
                                  .arg(nativo(r.guardado), ErroDeArquivo::motivo(erro)));
        }
    }
    if (!trocar(rascunho, m_banco)) {
        const QString motivo = ErroDeArquivo::motivo(errno);
        if (existe)
            QFile::remove(r.guardado);
        QFile::remove(rascunho);
        throw ErroSistema(QStringLiteral("Não foi possível pôr a cópia restaurada em %1: %2. "
                                         "O banco de dados continua como estava.")
                              .arg(nativo(m_banco), motivo));
    }
    return r;
}

Copias::Restauracao Copias::restaurarNoServidor(const QString &arquivo) {
    const AcessoBanco acesso = AcessoBanco::para(m_banco);
    const QString servidor = acesso.servidor();
    const QString caminho = acesso.caminho();
    const QFileInfo noDisco(caminho);
    const QDateTime agora = QDateTime::currentDateTime();
    // The restored register is made on the server beside the current one, under a name of its
    // own, and verified there through the server before anything else is touched.
    const QString restaurado =
        noDisco.path() + u'/' + noDisco.completeBaseName() + QStringLiteral("-restaurado-") +
        agora.toString(QStringLiteral("yyyy-MM-dd-HHmmss-zzz")) + u'.' + noDisco.suffix();
    const QString enderecoRestaurado = servidor + u':' + restaurado;
    Restauracao r;
    try {
        r.contagem = ProcessoAuxiliar::restaurar(arquivo, enderecoRestaurado);
    } catch (const ErroSistema &e) {
        throw ErroSistema(QStringLiteral("A cópia %1 não pôde ser restaurada no servidor %2; nada "
                                         "foi alterado, o banco de dados %3 continua como "
                                         "estava.\n\n%4")
                              .arg(nativo(arquivo), servidor, caminho, e.mensagem()),
                          e.codigos());
    }
    if (const auto registro = lerRegistro(arquivo); registro && registro->contagem) {
        if (!(*registro->contagem == r.contagem))
            throw ErroSistema(
                QStringLiteral("A cópia %1 restaurada no servidor como %2 não confere com o banco "
                               "de onde foi feita: tem %3, e devia ter %4. O banco de dados %5 "
                               "continua como estava.")
                    .arg(nativo(arquivo), restaurado, r.contagem.descrever(),
                         registro->contagem->descrever(), caminho));
        r.conferidaComRegistro = true;
    }
    // The swap needs the server's own disk: run here, on the server, with the right to write
    // in the register's folder. Elsewhere the verified register waits on the server.
    const bool aqui = noDisco.isFile() && QFileInfo(restaurado).isFile() &&
                      ::access(QFile::encodeName(noDisco.path()).constData(), W_OK) == 0;
    if (!aqui) {
        r.pendente = restaurado;
        return r;
    }
    // Closed to every desk first: refused, with nothing changed, while one is attached.
    try {
        Fb::fecharBancoNoServidor(m_banco, acesso.usuario, acesso.senha);
    } catch (const ErroSistema &e) {
        r.pendente = restaurado;
        throw ErroSistema(QStringLiteral("A cópia foi restaurada e verificada no servidor como %1, "
                                         "mas o banco de dados %2 não pôde ser fechado para a "
                                         "troca: feche o Talvano em todas as estações e restaure "
                                         "de novo. Nada foi alterado.\n\n%3")
                              .arg(restaurado, caminho, e.mensagem()),
                          e.codigos());
    }
    int erro = 0;
    for (int n = 1; n < 1000; ++n) {
        r.guardado = noDisco.dir().filePath(nomeDoGuardado(agora, n));
        if (::link(QFile::encodeName(caminho).constData(),
                   QFile::encodeName(r.guardado).constData()) == 0) {
            erro = 0;
            break;
        }
        erro = errno;
        if (erro != EEXIST)
            break;
    }
    if (erro == 0 && ::rename(QFile::encodeName(restaurado).constData(),
                              QFile::encodeName(caminho).constData()) != 0) {
        erro = errno;
        QFile::remove(r.guardado);
    }
    if (erro != 0) {
        Fb::abrirBancoNoServidor(m_banco, acesso.usuario, acesso.senha);
        throw ErroSistema(QStringLiteral("Não foi possível trocar o banco de dados %1 pela cópia "
                                         "restaurada %2: %3. O banco de dados continua como "
                                         "estava.")
                              .arg(caminho, restaurado, ErroDeArquivo::motivo(erro)));
    }
    return r;
}

QString Copias::nomeDoGuardado(const QDateTime &quando, int contador) const {
    const QFileInfo info(m_banco);
    return info.completeBaseName() + QStringLiteral("-antes-da-restauracao-") +
           quando.toString(QStringLiteral("yyyy-MM-dd-HHmmss")) +
           (contador > 1 ? QStringLiteral("-%1").arg(contador) : QString()) + u'.' + info.suffix();
}
