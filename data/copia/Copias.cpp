#include "Copias.h"

#include "Datamodule1.h"
#include "ErroSistema.h"
#include "ProcessoAuxiliar.h"
#include "fb/Firebird.h"

#include <QCoreApplication>
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
#include <cstring>
#include <ibase.h>
#include <unistd.h>

namespace {

const QString k_sufixoFalha = QStringLiteral("-FALHOU-NA-VERIFICACAO");
const QString k_registro = QStringLiteral(".verificacao");

QString nativo(const QString &caminho) {
    return QDir::toNativeSeparators(caminho);
}

// The figures and the verdict of a backup, in a small text file beside it.
struct Registro {
    bool verificada = false;
    QDateTime quando;
    std::optional<ContagemBanco> contagem;
    QString motivo;
};

void gravarRegistro(const QString &arquivo, const Registro &r) {
    QSaveFile f(arquivo + k_registro);
    if (!f.open(QIODevice::WriteOnly))
        return;
    QString texto = QStringLiteral("resultado=%1\nquando=%2\n")
                        .arg(r.verificada ? QStringLiteral("verificada") : QStringLiteral("falhou"),
                             r.quando.toString(Qt::ISODate));
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

// The engine's words, led by what they mean to the user when the disk is full.
QString explicarFalha(const QString &pasta, const QString &texto) {
    const QStorageInfo disco(pasta);
    const bool cheio = texto.contains(QLatin1String("No space left"), Qt::CaseInsensitive) ||
                       texto.contains(QLatin1String("disco está cheio")) ||
                       (disco.isValid() && disco.bytesAvailable() < 1024 * 1024);
    if (cheio)
        return QStringLiteral("Não há espaço no disco de %1. Libere espaço e faça a cópia de "
                              "novo.\n\n%2")
            .arg(nativo(pasta), texto);
    return texto;
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

} // namespace

Copias::Copias(const QString &banco) : m_banco(QFileInfo(banco).absoluteFilePath()) {}

QString Copias::pasta() const {
    return QFileInfo(m_banco).dir().filePath(QStringLiteral("Copias"));
}

QString Copias::arquivoDoDia(QDate dia) const {
    return QDir(pasta()).filePath(QFileInfo(m_banco).completeBaseName() + u'-' +
                                  dia.toString(QStringLiteral("yyyy-MM-dd")) +
                                  QStringLiteral(".fbk"));
}

Copias::Resultado Copias::fazer(const QString &arquivoPedido) {
    const QString arquivo = QFileInfo(arquivoPedido).absoluteFilePath();
    const QString pastaDestino = QFileInfo(arquivo).absolutePath();
    if (!QFileInfo::exists(m_banco))
        throw ErroSistema(QStringLiteral("O banco de dados %1 não existe.").arg(nativo(m_banco)));
    if (!QDir().mkpath(pastaDestino))
        throw ErroSistema(QStringLiteral("Não foi possível criar a pasta %1: verifique se tem "
                                         "permissão de gravar nela.")
                              .arg(nativo(pastaDestino)));
    if (!QFileInfo(pastaDestino).isWritable() || ::access(QFile::encodeName(pastaDestino), W_OK))
        throw ErroSistema(QStringLiteral("Sem permissão para gravar na pasta %1. A cópia de "
                                         "segurança não foi feita; nada foi alterado.")
                              .arg(nativo(pastaDestino)));
    apagarRestosDeAuxiliares(pastaDestino);
    apagarRestosDeAuxiliares(QFileInfo(m_banco).absolutePath());

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
        throw ErroSistema(
            QStringLiteral("A cópia de segurança de %1 em %2 não foi feita; nada "
                           "foi alterado.\n\n%3")
                .arg(nativo(m_banco), nativo(arquivo), explicarFalha(pastaDestino, e.mensagem())));
    }

    if (const auto motivo = verificar(parcial, r.contagem))
        r.motivo = *motivo;
    else
        r.verificada = true;
    if (ProcessoAuxiliar::interrompido()) {
        QFile::remove(parcial);
        throw ErroSistema(QStringLiteral("A cópia de segurança foi interrompida; nada foi "
                                         "alterado."));
    }

    r.arquivo = r.verificada ? arquivo : comSufixoDeFalha(arquivo);
    r.tamanho = QFileInfo(parcial).size();
    gravarRegistro(r.arquivo, {r.verificada, QDateTime::currentDateTime(), r.contagem, r.motivo});
    if (!trocar(parcial, r.arquivo)) {
        const QString motivo = QString::fromLocal8Bit(std::strerror(errno));
        QFile::remove(parcial);
        QFile::remove(r.arquivo + k_registro);
        throw ErroSistema(QStringLiteral("Não foi possível dar à cópia de segurança o nome %1: "
                                         "%2.")
                              .arg(nativo(r.arquivo), motivo));
    }
    r.segundos = double(relogio.elapsed()) / 1000.0;
    return r;
}

std::optional<QString> Copias::verificar(const QString &arquivo,
                                         const ContagemBanco &esperada) const {
    // The scratch database goes beside the live one: that disk has held a database this size.
    const QString rascunho = QFileInfo(m_banco).dir().filePath(
        QStringLiteral(".verificando") + sufixoDoProcesso() + QStringLiteral(".fdb"));
    QFile::remove(rascunho);
    std::optional<QString> motivo;
    try {
        const ContagemBanco restaurada = ProcessoAuxiliar::restaurar(arquivo, rascunho);
        if (!(restaurada == esperada))
            motivo = QStringLiteral("a cópia restaurada tem %1, e o banco de dados tem %2.")
                         .arg(restaurada.descrever(), esperada.descrever());
    } catch (const ErroSistema &e) {
        motivo = explicarFalha(QFileInfo(m_banco).absolutePath(), e.mensagem());
    }
    QFile::remove(rascunho);
    return motivo;
}

std::optional<Copias::Resultado> Copias::copiaDiaria(QDate hoje) {
    const QString arquivo = arquivoDoDia(hoje);
    if (!QFileInfo::exists(m_banco) || QFileInfo::exists(arquivo))
        return std::nullopt;
    // Tells a start of the program that comes meanwhile who holds the database, and why.
    QLockFile trava(arquivoDaTrava());
    trava.tryLock(0);
    try {
        const Resultado r = fazer(arquivo);
        girar();
        if (!r.verificada)
            deixarAviso(QStringLiteral("A cópia de segurança feita ao fechar o programa em %1 não "
                                       "passou na verificação e não conta como cópia boa. Ela "
                                       "foi guardada como %2.\n\nMotivo: %3")
                            .arg(QLocale().toString(hoje, QStringLiteral("dd/MM/yyyy")),
                                 nativo(r.arquivo), r.motivo));
        return r;
    } catch (const ErroSistema &e) {
        if (!ProcessoAuxiliar::interrompido())
            deixarAviso(
                QStringLiteral("A cópia de segurança de %1 não pôde ser feita ao fechar o "
                               "programa.\n\n%2")
                    .arg(QLocale().toString(hoje, QStringLiteral("dd/MM/yyyy")), e.mensagem()));
        return std::nullopt;
    }
}

void Copias::girar(int quantas) {
    const QString base = QRegularExpression::escape(QFileInfo(m_banco).completeBaseName());
    const QRegularExpression doDia(u'^' + base + QStringLiteral("-\\d{4}-\\d{2}-\\d{2}(") +
                                   k_sufixoFalha + QStringLiteral(")?\\.fbk$"));
    QDir dir(pasta());
    QStringList nomes;
    for (const QString &f : dir.entryList({QStringLiteral("*.fbk")}, QDir::Files))
        if (doDia.match(f).hasMatch())
            nomes << f;
    // The date leads the name: the name's order is the days' order, newest first.
    std::sort(nomes.begin(), nomes.end(), std::greater<>());
    const auto boa = [&](const QString &nome) {
        const auto r = lerRegistro(dir.filePath(nome));
        return r && r->verificada && !nome.contains(k_sufixoFalha);
    };
    bool haBoaGuardada = false;
    for (int i = 0; i < nomes.size(); ++i) {
        if (i < quantas) {
            haBoaGuardada = haBoaGuardada || boa(nomes[i]);
            continue;
        }
        if (!haBoaGuardada && boa(nomes[i])) {
            haBoaGuardada = true;
            continue;
        }
        apagarCopia(dir.filePath(nomes[i]));
    }
}

QString Copias::arquivoDaTrava() const {
    return QFileInfo(m_banco).dir().filePath(QStringLiteral(".copia-do-programa.trava"));
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

QString Copias::arquivoDoAviso() const {
    return QFileInfo(m_banco).dir().filePath(QStringLiteral(".aviso-da-copia.txt"));
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
    QList<Item> itens;
    const QDir dir(pasta());
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
            item.detalhe =
                r->verificada ? (r->contagem ? r->contagem->descrever() : QString()) : r->motivo;
        }
        itens << item;
    }
    return itens;
}

Copias::Restauracao Copias::restaurar(const QString &arquivoPedido) {
    const QString arquivo = QFileInfo(arquivoPedido).absoluteFilePath();
    if (!QFileInfo(arquivo).isFile())
        throw ErroSistema(QStringLiteral("O arquivo de cópia %1 não existe.").arg(nativo(arquivo)));
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
            // A damaged database is what a restore is for: it is moved aside all the same.
        }
    }

    const QString rascunho =
        QDir(pastaBanco)
            .filePath(QStringLiteral(".restaurando") + sufixoDoProcesso() + QStringLiteral(".fdb"));
    QFile::remove(rascunho);
    Restauracao r;
    try {
        r.contagem = ProcessoAuxiliar::restaurar(arquivo, rascunho);
    } catch (const ErroSistema &e) {
        QFile::remove(rascunho);
        throw ErroSistema(
            QStringLiteral("A cópia %1 não pôde ser restaurada; nada foi alterado, "
                           "o banco de dados %2 continua como estava.\n\n%3")
                .arg(nativo(arquivo), nativo(m_banco), explicarFalha(pastaBanco, e.mensagem())));
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
    // The current file takes its dated name as a second name first, and the restored one then
    // replaces it in one step: however the run is cut short, DADOS.GDB is one whole database
    // or the other, never missing. Where the file system has no second names, it is renamed.
    bool segundoNome = false;
    if (existe) {
        const QFileInfo info(m_banco);
        r.guardado = info.dir().filePath(
            info.completeBaseName() + QStringLiteral("-antes-da-restauracao-") +
            QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd-HHmmss")) + u'.' +
            info.suffix());
        segundoNome = ::link(QFile::encodeName(m_banco).constData(),
                             QFile::encodeName(r.guardado).constData()) == 0;
        if (!segundoNome && !trocar(m_banco, r.guardado)) {
            const QString motivo = QString::fromLocal8Bit(std::strerror(errno));
            QFile::remove(rascunho);
            throw ErroSistema(QStringLiteral("Não foi possível guardar o banco de dados atual "
                                             "como %1: %2. Nada foi alterado.")
                                  .arg(nativo(r.guardado), motivo));
        }
    }
    if (!trocar(rascunho, m_banco)) {
        const QString motivo = QString::fromLocal8Bit(std::strerror(errno));
        if (segundoNome)
            QFile::remove(r.guardado);
        else if (existe)
            trocar(r.guardado, m_banco);
        QFile::remove(rascunho);
        throw ErroSistema(QStringLiteral("Não foi possível pôr a cópia restaurada em %1: %2. "
                                         "O banco de dados continua como estava.")
                              .arg(nativo(m_banco), motivo));
    }
    return r;
}
