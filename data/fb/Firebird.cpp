#include "Firebird.h"

#include "Dinheiro.h"
#include "ErroDeArquivo.h"
#include "ErroSistema.h"
#include "Win1252.h"

#include <QByteArray>
#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QStringDecoder>
#include <QTime>
#include <firebird/Interface.h>
#include <ibase.h>

#include <algorithm>
#include <cerrno>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <langinfo.h>
#include <mutex>
#include <optional>
#include <thread>
#include <unistd.h>

using namespace Firebird;

namespace {

IMaster *mestre() {
    static IMaster *m = (Fb::prepararAmbiente(), fb_get_master_interface());
    return m;
}
IUtil *util() {
    return mestre()->getUtilInterface();
}
IProvider *provedor() {
    static IProvider *p = mestre()->getDispatcher();
    return p;
}

// The engine's messages mix file names in the system's encoding with values in
// the connection's WIN1252: UTF-8 when the bytes are valid UTF-8, else WIN1252.
QString textoDoMotor(const char *texto) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString lido = utf8(QByteArrayView(texto));
    if (!utf8.hasError())
        return lido;
    return Win1252::decodificar(texto, int(std::strlen(texto)));
}

// What the user is told first, in Portuguese, of the engine errors a user may meet, in the
// order they are looked for; the engine's own words follow as detail.
QString explicacao(const std::vector<long> &codigos) {
    static const struct {
        std::initializer_list<long> codigos;
        const char *texto;
    } k_explicacoes[] = {
        {{isc_lock_conflict, isc_update_conflict, isc_deadlock},
         "Outra estação está alterando este registro agora. Tente de novo em instantes: o que "
         "foi digitado continua na tela."},
        {{isc_unique_key_violation, isc_no_dup},
         "Já existe um registro com esta mesma chave no banco de dados: nada foi gravado."},
        {{isc_login, isc_psw_attach}, "O banco de dados recusou o usuário ou a senha da conexão."},
        {{isc_net_read_err, isc_net_write_err, isc_lost_db_connection, isc_conn_lost,
          isc_att_shutdown, isc_shutdown},
         "A conexão com o banco de dados foi perdida. O que já estava gravado está guardado; o "
         "que foi digitado continua na tela."},
        {{isc_network_error, isc_net_connect_err, isc_net_lookup_err, isc_connect_reject,
          isc_unavailable},
         "Não foi possível falar com o servidor do banco de dados."},
        {{isc_already_opened, isc_lock_timeout},
         "O banco de dados está em uso por outro programa. Feche-o e tente de novo."},
        {{isc_read_only_database, isc_no_priv},
         "O banco de dados não permite gravar: não há permissão para alterá-lo."},
        {{isc_bad_db_format, isc_db_corrupt},
         "O arquivo não é um banco de dados que este programa possa abrir, ou está danificado."},
        {{isc_io_error}, "O arquivo do banco de dados não pôde ser aberto, lido ou gravado."},
        {{isc_string_truncation}, "Um texto é mais longo do que o seu campo guarda."},
        {{isc_transliteration_failed},
         "Um texto tem um caractere que o banco de dados não guarda."},
        {{isc_keytoobig, isc_imp_exc}, "Um texto é longo demais para o banco de dados."},
        {{isc_arith_except, isc_convert_error},
         "O banco de dados não conseguiu calcular ou converter um valor."},
    };
    for (const auto &e : k_explicacoes)
        for (const long c : e.codigos)
            if (std::find(codigos.begin(), codigos.end(), c) != codigos.end())
                return QString::fromUtf8(e.texto);
    return QStringLiteral("O banco de dados recusou a operação.");
}

// Owns one status object and turns an error left in it into ErroSistema.
class Status {
public:
    Status() : m_status(mestre()->getStatus()), m_wrapper(m_status) {}
    ~Status() { m_status->dispose(); }
    CheckStatusWrapper *operator&() { return &m_wrapper; }
    bool falhou() const { return m_wrapper.getState() & IStatus::STATE_ERRORS; }

    void verificar() {
        if (!(m_wrapper.getState() & IStatus::STATE_ERRORS))
            return;
        char texto[2048];
        util()->formatStatus(texto, sizeof texto, &m_wrapper);
        std::vector<long> codigos;
        int erroDoSistema = 0;
        const intptr_t *v = m_wrapper.getErrors();
        while (v && *v != isc_arg_end) {
            const intptr_t tipo = v[0];
            if (tipo == isc_arg_gds)
                codigos.push_back(long(v[1]));
            if (tipo == isc_arg_unix && !erroDoSistema)
                erroDoSistema = int(v[1]);
            v += (tipo == isc_arg_cstring) ? 3 : 2;
        }
        m_wrapper.init();
        QString motivo;
        switch (erroDoSistema) {
        case ENOSPC:
            motivo = QStringLiteral("O disco está cheio: não há espaço para gravar no banco de "
                                    "dados. Libere espaço no disco e grave de novo.");
            break;
        case ENOENT:
            motivo = QStringLiteral("O arquivo do banco de dados não existe.");
            break;
        case EACCES:
        case EPERM:
            motivo = QStringLiteral("Não há permissão para abrir o arquivo do banco de dados.");
            break;
        case EROFS:
            motivo = QStringLiteral("O arquivo do banco de dados está num disco só de leitura.");
            break;
        default:
            motivo = explicacao(codigos);
        }
        throw ErroSistema(motivo + QStringLiteral("\n\n") + textoDoMotor(texto).trimmed(),
                          std::move(codigos));
    }

private:
    IStatus *m_status;
    CheckStatusWrapper m_wrapper;
};

QByteArray caminhoNativo(const QString &caminho) {
    return QDir::toNativeSeparators(caminho).toLocal8Bit();
}

// A file name for the service manager, which is told to read them as UTF-8.
QByteArray caminhoUtf8(const QString &caminho) {
    return QDir::toNativeSeparators(caminho).toUtf8();
}

// How long a desk waits for a server that does not answer (no route, a cable out, a firewall
// that drops) before it says so: the engine's own default is three minutes.
constexpr int k_esperaServidor = 8;

// What a connection to a server sets for itself whatever the machine's firebird.conf says:
// the wire must be encrypted (an attach to a server that cannot is refused), the password
// travels only inside the SRP exchange, and an unanswered server is given up in seconds.
const char *configuracaoRemota() {
    static const QByteArray texto = QStringLiteral("WireCrypt = Required\nAuthClient = Srp\n"
                                                   "ConnectionTimeout = %1\n")
                                        .arg(k_esperaServidor)
                                        .toLatin1();
    return texto.constData();
}

std::vector<unsigned char> parametrosConexao(const QString &usuario, const QString &senha,
                                             const QString &papel, bool criando, bool remoto) {
    Status st;
    IXpbBuilder *dpb = util()->getXpbBuilder(&st, IXpbBuilder::DPB, nullptr, 0);
    st.verificar();
    dpb->insertString(&st, isc_dpb_user_name, usuario.toUtf8().constData());
    dpb->insertString(&st, isc_dpb_password, senha.toUtf8().constData());
    dpb->insertString(&st, isc_dpb_lc_ctype, "WIN1252");
    dpb->insertInt(&st, isc_dpb_sql_dialect, 3);
    if (!papel.isEmpty())
        dpb->insertString(&st, isc_dpb_sql_role_name, papel.toUtf8().constData());
    if (remoto) {
        dpb->insertString(&st, isc_dpb_config, configuracaoRemota());
        dpb->insertInt(&st, isc_dpb_connect_timeout, k_esperaServidor);
    }
    if (criando) {
        dpb->insertString(&st, isc_dpb_set_db_charset, "WIN1252");
        dpb->insertInt(&st, isc_dpb_force_write, 1);
        dpb->insertInt(&st, isc_dpb_page_size, 8192);
    }
    st.verificar();
    const auto *inicio = dpb->getBuffer(&st);
    std::vector<unsigned char> buffer(inicio, inicio + dpb->getBufferLength(&st));
    dpb->dispose();
    return buffer;
}

// ":NAME" outside quotes and comments becomes "?", and the names are returned
// in order of position.
QString trocarParametrosNomeados(const QString &sql, QStringList &nomes) {
    QString saida;
    saida.reserve(sql.size());
    for (int i = 0; i < sql.size(); ++i) {
        const QChar c = sql[i];
        if (c == u'\'' || c == u'"') {
            const int fim = sql.indexOf(c, i + 1);
            const int ate = fim < 0 ? int(sql.size()) : fim + 1;
            saida += QStringView(sql).mid(i, ate - i);
            i = ate - 1;
        } else if (c == u'-' && i + 1 < sql.size() && sql[i + 1] == u'-') {
            const int fim = sql.indexOf(u'\n', i);
            const int ate = fim < 0 ? int(sql.size()) : fim;
            saida += QStringView(sql).mid(i, ate - i);
            i = ate - 1;
        } else if (c == u':' && i + 1 < sql.size() &&
                   (sql[i + 1].isLetter() || sql[i + 1] == u'_')) {
            int j = i + 1;
            while (j < sql.size() &&
                   (sql[j].isLetterOrNumber() || sql[j] == u'_' || sql[j] == u'$'))
                ++j;
            nomes << sql.mid(i + 1, j - i - 1).toUpper();
            saida += u'?';
            i = j - 1;
        } else {
            saida += c;
        }
    }
    return saida;
}

int64_t potenciaDez(int n) {
    int64_t p = 1;
    while (n-- > 0)
        p *= 10;
    return p;
}

// A scaled integer read from the database. Scale -2 is the amount type.
QVariant inteiroEscalado(int64_t valor, int escala) {
    if (escala == 0)
        return QVariant::fromValue(qlonglong(valor));
    if (escala == -2)
        return QVariant::fromValue(Dinheiro::deCentavos(valor));
    if (escala < -2)
        return QVariant::fromValue(Dinheiro::deCentavos(valor / potenciaDez(-2 - escala)));
    return QVariant::fromValue(Dinheiro::deCentavos(valor * potenciaDez(escala + 2)));
}

int64_t paraInteiroEscalado(const QVariant &valor, int escala) {
    if (valor.canConvert<Dinheiro>() && valor.userType() == qMetaTypeId<Dinheiro>()) {
        const int64_t c = valor.value<Dinheiro>().centavos();
        if (escala <= -2)
            return c * potenciaDez(-2 - escala);
        return c / potenciaDez(escala + 2);
    }
    bool ok = false;
    const qlonglong n = valor.toLongLong(&ok);
    if (!ok)
        throw ErroSistema(
            QStringLiteral("Valor \"%1\" não é um número válido.").arg(valor.toString()));
    return escala >= 0 ? n : n * potenciaDez(-escala);
}

QByteArray lerBlob(Fb::Transacao &tra, ISC_QUAD id) {
    Status st;
    IBlob *blob = tra.conexao().anexo()->openBlob(&st, tra.handle(), &id, 0, nullptr);
    st.verificar();
    QByteArray dados;
    char pedaco[32768];
    for (;;) {
        unsigned lidos = 0;
        const int r = blob->getSegment(&st, sizeof pedaco, pedaco, &lidos);
        if (r == IStatus::RESULT_NO_DATA)
            break;
        if (r == IStatus::RESULT_ERROR) {
            blob->release();
            st.verificar();
        }
        dados.append(pedaco, int(lidos));
    }
    blob->close(&st);
    st.verificar();
    return dados;
}

ISC_QUAD gravarBlob(Fb::Transacao &tra, const QByteArray &dados) {
    Status st;
    ISC_QUAD id{};
    IBlob *blob = tra.conexao().anexo()->createBlob(&st, tra.handle(), &id, 0, nullptr);
    st.verificar();
    // On failure the BLOB is cancelled with a status of its own, so that the engine's first
    // error (a full disk, say) is the one told, and nothing goes on with the cancelled BLOB.
    const auto desistir = [&] {
        Status outro;
        blob->cancel(&outro);
        if (outro.falhou())
            blob->release();
        st.verificar();
    };
    constexpr int pedaco = 32768;
    for (int i = 0; i < dados.size(); i += pedaco) {
        blob->putSegment(&st, unsigned(qMin(pedaco, int(dados.size()) - i)), dados.constData() + i);
        if (st.falhou())
            desistir();
    }
    blob->close(&st);
    if (st.falhou())
        desistir();
    return id;
}

} // namespace

namespace Fb {

bool enderecoDeServidor(const QString &banco) {
    // "servidor:/caminho" or "servidor/3050:/caminho"; a file path has no colon before its
    // first separator, and one letter before a colon is a drive.
    const qsizetype doisPontos = banco.indexOf(u':');
    if (doisPontos < 2)
        return false;
    const QStringView antes = QStringView(banco).left(doisPontos);
    return !antes.startsWith(u'/') && !antes.startsWith(u'~') && antes.count(u'/') <= 1 &&
           !antes.contains(u'\\');
}

QString servidorDe(const QString &endereco) {
    return endereco.left(endereco.indexOf(u':'));
}

QString caminhoNoServidor(const QString &endereco) {
    return endereco.mid(endereco.indexOf(u':') + 1);
}

namespace {

// A server that would not let this desk in: its name and the reason, in words a user can act
// on, before the engine's own.
ErroSistema erroDoServidor(const QString &endereco, const QString &usuario, const ErroSistema &e) {
    const auto tem = [&](std::initializer_list<long> procurados) {
        for (long c : procurados)
            if (std::find(e.codigos().begin(), e.codigos().end(), c) != e.codigos().end())
                return true;
        return false;
    };
    const QString servidor = servidorDe(endereco);
    const QString detalhe = e.mensagem().section(QStringLiteral("\n\n"), 1);
    QString motivo;
    if (tem({isc_login, isc_psw_attach}))
        motivo = QStringLiteral("o servidor recusou a conta \"%1\" ou a sua senha. Confira a "
                                "conta e a senha desta estação com quem cuida do servidor")
                     .arg(usuario);
    else if (tem({isc_wirecrypt_incompatible}))
        motivo = QStringLiteral("o servidor não aceita conexão criptografada, e esta estação só "
                                "envia dados ao servidor com criptografia (WireCrypt no servidor)");
    else if (tem({isc_net_lookup_err}))
        motivo =
            QStringLiteral("o nome do servidor não foi encontrado na rede. Confira o endereço");
    else if (tem({isc_net_connect_err}))
        motivo =
            QStringLiteral("o servidor recusou a conexão: o Firebird não está rodando nele, ou "
                           "a porta não é essa");
    else if (tem({isc_connect_reject, isc_net_read_err, isc_net_write_err}))
        motivo = QStringLiteral("o servidor não respondeu em %1 segundos (sem caminho na rede até "
                                "ele, cabo desligado ou bloqueio de firewall)")
                     .arg(k_esperaServidor);
    else if (tem({isc_network_error}))
        motivo = QStringLiteral("a rede não chegou até o servidor");
    else if (tem({isc_io_error}))
        motivo = QStringLiteral("o servidor não encontrou ou não pôde abrir o arquivo do banco de "
                                "dados. Confira o caminho depois do nome do servidor");
    else
        motivo = e.mensagem().section(QStringLiteral("\n\n"), 0, 0);
    return ErroSistema(QStringLiteral("Não foi possível entrar no banco de dados %1 do servidor "
                                      "%2: %3.\n\n%4")
                           .arg(caminhoNoServidor(endereco), servidor, motivo,
                                detalhe.isEmpty() ? e.mensagem() : detalhe)
                           .trimmed(),
                       e.codigos());
}

QString g_pastaTravas;

// The engine's lock files live in a folder of this user's own: in the user's runtime folder,
// a memory file system, where there is one; else under the user's cache folder.
QString escolherPastaTravas() {
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty()) {
        const QString pasta = QFile::decodeName(runtime) + QStringLiteral("/talvano/firebird");
        if (QDir().mkpath(pasta) && QFileInfo(pasta).isWritable())
            return pasta;
    }
    return QDir::homePath() + QStringLiteral("/.cache/talvano/firebird");
}

// The engine maps its lock files sparse: on a full disk its first write into one of them ends
// the process with SIGBUS and no word. Before each attach the room they take is claimed for
// a moment, so a full disk is an error with a message instead.
void garantirEspacoParaTravas() {
    constexpr off_t espacoNecessario = 4 * 1024 * 1024;
    const QString pasta = g_pastaTravas;
    const QString nativa = QDir::toNativeSeparators(pasta);
    if (!QDir().mkpath(pasta))
        throw ErroSistema(QStringLiteral("Não foi possível criar a pasta dos arquivos de trava do "
                                         "banco de dados, %1.")
                              .arg(nativa));
    QByteArray modelo = QFile::encodeName(pasta + QStringLiteral("/espaco_XXXXXX"));
    const int fd = ::mkostemp(modelo.data(), O_CLOEXEC);
    int erro = fd < 0 ? errno : ::posix_fallocate(fd, 0, espacoNecessario);
    if (fd >= 0) {
        ::close(fd);
        ::unlink(modelo.constData());
    }
    if (erro)
        throw ErroSistema(QStringLiteral("Não há espaço para os arquivos de trava do banco de "
                                         "dados em %1 (%2). Libere espaço no disco e tente de "
                                         "novo.")
                              .arg(nativa, ErroDeArquivo::motivo(erro)));
}

} // namespace

void prepararAmbiente() {
    static std::once_flag feito;
    std::call_once(feito, [] {
        const QString pasta = escolherPastaTravas();
        g_pastaTravas = pasta;
        QDir().mkpath(pasta);
        QFile::setPermissions(pasta, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        ::setenv("FIREBIRD_LOCK", QFile::encodeName(pasta).constData(), 1);
        ::setenv("FIREBIRD_TMP", QFile::encodeName(pasta).constData(), 0);
        // File names are UTF-8, as Qt writes them: the engine converts the names it is given
        // through the C library's character set, which must then be UTF-8 too (a helper
        // process or a terminal with LANG=C would otherwise refuse /home/joão).
        if (std::strcmp(nl_langinfo(CODESET), "UTF-8") != 0)
            std::setlocale(LC_CTYPE, "C.UTF-8");
    });
}

namespace {

// The attachment started in advance, and the thread that makes it.
struct Antecipada {
    std::mutex trava;
    std::thread linha;
    bool iniciada = false;
    QString caminho, usuario, senha, papel;
    IAttachment *anexo = nullptr; // set by the thread; read after it is joined
    // Why a server would not let the attempt in: told as it is, since attaching again would
    // make the user wait for an unanswering server twice.
    std::optional<ErroSistema> recusaDoServidor;
};

Antecipada &antecipada() {
    static Antecipada a;
    return a;
}

// The attachment started in advance when it is to this file with this account; any other
// is ended. Waits for the thread.
IAttachment *tomarAntecipada(const QString &caminho, const QString &usuario, const QString &senha,
                             const QString &papel) {
    Antecipada &a = antecipada();
    const std::lock_guard trava(a.trava);
    if (!a.iniciada)
        return nullptr;
    a.linha.join();
    a.iniciada = false;
    IAttachment *anexo = std::exchange(a.anexo, nullptr);
    if (const auto recusa = std::exchange(a.recusaDoServidor, std::nullopt);
        recusa && a.caminho == caminho && a.usuario == usuario && a.senha == senha &&
        a.papel == papel)
        throw *recusa;
    if (anexo &&
        (a.caminho != caminho || a.usuario != usuario || a.senha != senha || a.papel != papel)) {
        Status st;
        anexo->detach(&st);
        if (st.falhou())
            anexo->release();
        anexo = nullptr;
    }
    return anexo;
}

} // namespace

void anteciparConexao(const QString &caminho, const QString &usuario, const QString &senha,
                      const QString &papel) {
    // Here, in the caller's thread: it sets the engine's environment.
    prepararAmbiente();
    Antecipada &a = antecipada();
    const std::lock_guard trava(a.trava);
    if (a.iniciada)
        return;
    a.iniciada = true;
    a.caminho = caminho;
    a.usuario = usuario;
    a.senha = senha;
    a.papel = papel;
    a.linha = std::thread(
        [&a, nativo = caminhoNativo(caminho),
         dpb = parametrosConexao(usuario, senha, papel, false, enderecoDeServidor(caminho))] {
            try {
                garantirEspacoParaTravas();
                Status st;
                IAttachment *anexo = provedor()->attachDatabase(&st, nativo.constData(),
                                                                unsigned(dpb.size()), dpb.data());
                if (!st.falhou())
                    a.anexo = anexo;
                else if (enderecoDeServidor(a.caminho))
                    try {
                        st.verificar();
                    } catch (const ErroSistema &e) {
                        a.recusaDoServidor = erroDoServidor(a.caminho, a.usuario, e);
                    }
            } catch (...) {
                // The connection that would have taken it attaches itself and tells why not.
            }
        });
}

bool conexaoAntecipada(const QString &caminho) {
    Antecipada &a = antecipada();
    const std::lock_guard trava(a.trava);
    return a.iniciada && a.caminho == caminho;
}

void descartarConexaoAntecipada() {
    tomarAntecipada({}, {}, {}, {});
}

void encerrar() {
    descartarConexaoAntecipada();
    Status st;
    provedor()->shutdown(&st, 0, fb_shutrsn_app_stopped);
}

namespace {

// Starts one action of the service manager of this machine's engine, or of a server when
// `servidor` is given, built by `montar`, and waits for its end. Without `receber` the engine
// tells the end by an empty line of output; with it, the action's output file is "stdout"
// and its bytes come back through the service, handed to `receber` as they arrive (a backup
// made on a server, written on this machine). A failure comes through the status of a query.
template <class Montar>
void executarServico(const QString &servidor, const QString &usuario, const QString &senha,
                     Montar montar, const std::function<void(const char *, unsigned)> &receber = {},
                     const std::function<bool(unsigned, QByteArray &)> &enviar = {}) {
    prepararAmbiente();
    garantirEspacoParaTravas();
    Status st;
    IXpbBuilder *conexao = util()->getXpbBuilder(&st, IXpbBuilder::SPB_ATTACH, nullptr, 0);
    st.verificar();
    conexao->insertString(&st, isc_spb_user_name, usuario.toUtf8().constData());
    conexao->insertString(&st, isc_spb_password, senha.toUtf8().constData());
    // The file names of the action are UTF-8, as the program names its files (a home such as
    // /home/joão), whatever the locale: without this tag the service reads them in its own
    // character set and refuses every accented one.
    conexao->insertTag(&st, isc_spb_utf8_filename);
    if (!servidor.isEmpty())
        conexao->insertString(&st, isc_spb_config, configuracaoRemota());
    const QByteArray nomeServico = servidor.isEmpty()
                                       ? QByteArray("service_mgr")
                                       : (servidor + QStringLiteral(":service_mgr")).toUtf8();
    IService *servico = st.falhou()
                            ? nullptr
                            : provedor()->attachServiceManager(&st, nomeServico.constData(),
                                                               conexao->getBufferLength(&st),
                                                               conexao->getBuffer(&st));
    conexao->dispose();
    if (!servidor.isEmpty() && st.falhou()) {
        try {
            st.verificar();
        } catch (const ErroSistema &e) {
            throw erroDoServidor(servidor + QStringLiteral(":service_mgr"), usuario, e);
        }
    }
    st.verificar();
    const auto liberar = [&] {
        Status outro;
        servico->detach(&outro);
        if (outro.falhou())
            servico->release();
    };
    IXpbBuilder *acao = util()->getXpbBuilder(&st, IXpbBuilder::SPB_START, nullptr, 0);
    if (!st.falhou())
        montar(*acao, st);
    if (!st.falhou())
        servico->start(&st, acao->getBufferLength(&st), acao->getBuffer(&st));
    acao->dispose();
    // With `enviar` the action reads its input file ("stdin") from here: the service says how
    // many bytes it wants, and the next query carries them (none left is the end of the file).
    const std::vector<unsigned char> pedido =
        enviar    ? std::vector<unsigned char>{isc_info_svc_stdin, isc_info_svc_line}
        : receber ? std::vector<unsigned char>{isc_info_svc_to_eof}
                  : std::vector<unsigned char>{isc_info_svc_line};
    std::vector<unsigned char> resposta(receber ? 65000 : 1024), envio;
    unsigned pedidoDeEntrada = 0;
    bool desistiu = false;
    for (bool fim = st.falhou(); !fim;) {
        envio.clear();
        if (pedidoDeEntrada > 0) {
            QByteArray dados;
            if (!enviar(qMin(pedidoDeEntrada, 32000u), dados)) {
                desistiu = true;
                break;
            }
            envio = {isc_info_svc_line, (unsigned char)(dados.size() & 0xFF),
                     (unsigned char)(dados.size() >> 8)};
            envio.insert(envio.end(), dados.begin(), dados.end());
            envio.push_back(isc_info_end);
        }
        servico->query(&st, unsigned(envio.size()), envio.empty() ? nullptr : envio.data(),
                       unsigned(pedido.size()), pedido.data(), unsigned(resposta.size()),
                       resposta.data());
        if (st.falhou())
            break;
        fim = true;
        pedidoDeEntrada = 0;
        const unsigned char *const limite = resposta.data() + resposta.size();
        for (const unsigned char *p = resposta.data(); p < limite && *p != isc_info_end;) {
            const unsigned char marca = *p++;
            if (marca == isc_info_truncated || marca == isc_info_data_not_ready) {
                // A stream goes on; a plain action's output is read to its first pause, as
                // the engine's own tools do.
                if (!receber && !enviar)
                    break;
                fim = false;
                continue;
            }
            if (marca == isc_info_svc_stdin && p + 4 <= limite) {
                pedidoDeEntrada = unsigned(p[0]) | unsigned(p[1]) << 8 | unsigned(p[2]) << 16 |
                                  unsigned(p[3]) << 24;
                p += 4;
                if (pedidoDeEntrada > 0)
                    fim = false;
                continue;
            }
            if ((marca != isc_info_svc_line && marca != isc_info_svc_to_eof) || p + 2 > limite)
                break;
            const unsigned tamanho = unsigned(p[0]) | unsigned(p[1]) << 8;
            p += 2;
            if (p + tamanho > limite)
                break;
            if (receber && tamanho > 0)
                receber(reinterpret_cast<const char *>(p), tamanho);
            p += tamanho;
            if (tamanho > 0)
                fim = false;
        }
    }
    if (st.falhou()) {
        liberar();
        st.verificar();
    }
    liberar();
    if (desistiu)
        throw ErroSistema(QStringLiteral("A cópia terminou antes do fim: o arquivo está "
                                         "incompleto."));
}

} // namespace

void copiarBanco(const QString &banco, const QString &arquivo, const QString &usuario,
                 const QString &senha) {
    // From a server, the server reads its database and sends the backup over the (encrypted)
    // wire: the file is written here, by this process, whatever the server may write on its
    // own disks.
    const bool remoto = enderecoDeServidor(banco);
    const auto montar = [&](IXpbBuilder &acao, Status &st) {
        acao.insertTag(&st, isc_action_svc_backup);
        acao.insertString(&st, isc_spb_dbname,
                          remoto ? caminhoNoServidor(banco).toUtf8().constData()
                                 : caminhoUtf8(banco).constData());
        acao.insertString(&st, isc_spb_bkp_file,
                          remoto ? "stdout" : caminhoUtf8(arquivo).constData());
        acao.insertInt(&st, isc_spb_options, isc_spb_bkp_no_garbage_collect);
    };
    if (!remoto) {
        executarServico({}, usuario, senha, montar);
        return;
    }
    QFile saida(arquivo);
    if (!saida.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        throw ErroSistema(QStringLiteral("Não foi possível criar o arquivo %1: %2.")
                              .arg(QDir::toNativeSeparators(arquivo), saida.errorString()));
    QString falhaAoGravar;
    executarServico(
        servidorDe(banco), usuario, senha, montar, [&](const char *dados, unsigned tamanho) {
            if (falhaAoGravar.isEmpty() && saida.write(dados, tamanho) != qint64(tamanho))
                falhaAoGravar = saida.errorString();
        });
    if (falhaAoGravar.isEmpty() && !saida.flush())
        falhaAoGravar = saida.errorString();
    if (falhaAoGravar.isEmpty() && ::fsync(saida.handle()) != 0)
        falhaAoGravar = ErroDeArquivo::motivo(errno);
    saida.close();
    if (!falhaAoGravar.isEmpty())
        throw ErroSistema(QStringLiteral("Não foi possível gravar a cópia em %1: %2.")
                              .arg(QDir::toNativeSeparators(arquivo), falhaAoGravar));
}

void restaurarBanco(const QString &arquivo, const QString &banco, const QString &usuario,
                    const QString &senha) {
    // To a server, the backup file is read here and sent over the wire: the server needs no
    // access to this machine's files, and writes only the new database.
    const bool remoto = enderecoDeServidor(banco);
    const auto montar = [&](IXpbBuilder &acao, Status &st) {
        acao.insertTag(&st, isc_action_svc_restore);
        acao.insertString(&st, isc_spb_bkp_file,
                          remoto ? "stdin" : caminhoUtf8(arquivo).constData());
        acao.insertString(&st, isc_spb_dbname,
                          remoto ? caminhoNoServidor(banco).toUtf8().constData()
                                 : caminhoUtf8(banco).constData());
        acao.insertInt(&st, isc_spb_options, isc_spb_res_create);
    };
    if (!remoto) {
        executarServico({}, usuario, senha, montar);
        return;
    }
    QFile entrada(arquivo);
    if (!entrada.open(QIODevice::ReadOnly))
        throw ErroSistema(QStringLiteral("Não foi possível ler o arquivo %1: %2.")
                              .arg(QDir::toNativeSeparators(arquivo), entrada.errorString()));
    executarServico(servidorDe(banco), usuario, senha, montar, {},
                    [&, vazios = 0](unsigned quanto, QByteArray &dados) mutable {
                        // At the end of the file the service is told so (nothing sent); one
                        // that asks on and on is asking for the rest of a cut file.
                        dados = entrada.read(quanto);
                        vazios = dados.isEmpty() ? vazios + 1 : 0;
                        return vazios <= 3;
                    });
}

namespace {

// A property of a database on a server: its shutdown or online mode.
void mudarModoNoServidor(const QString &banco, const QString &usuario, const QString &senha,
                         bool fechar) {
    executarServico(servidorDe(banco), usuario, senha, [&](IXpbBuilder &acao, Status &st) {
        acao.insertTag(&st, isc_action_svc_properties);
        acao.insertString(&st, isc_spb_dbname, caminhoNoServidor(banco).toUtf8().constData());
        if (fechar) {
            const unsigned char completo = isc_spb_prp_sm_full;
            acao.insertBytes(&st, isc_spb_prp_shutdown_mode, &completo, 1);
            // No wait, no force: with a desk attached the shutdown fails and nothing changes.
            acao.insertInt(&st, isc_spb_prp_attachments_shutdown, 0);
        } else {
            const unsigned char normal = isc_spb_prp_sm_normal;
            acao.insertBytes(&st, isc_spb_prp_online_mode, &normal, 1);
        }
    });
}

} // namespace

void fecharBancoNoServidor(const QString &banco, const QString &usuario, const QString &senha) {
    mudarModoNoServidor(banco, usuario, senha, true);
}

void abrirBancoNoServidor(const QString &banco, const QString &usuario, const QString &senha) {
    mudarModoNoServidor(banco, usuario, senha, false);
}

// ---------------------------------------------------------------- Conexao

Conexao::~Conexao() {
    try {
        desconectar();
    } catch (const ErroSistema &) {
        // Nothing can be told to the user from a destructor at exit.
    }
}

void Conexao::configurar(const QString &caminho, const QString &usuario, const QString &senha,
                         const QString &papel) {
    m_caminho = caminho;
    m_usuario = usuario;
    m_senha = senha;
    m_papel = papel;
}

void Conexao::conectar() {
    if (m_anexo)
        return;
    if ((m_anexo = tomarAntecipada(m_caminho, m_usuario, m_senha, m_papel)))
        return;
    anexar(false);
}

void Conexao::criar() {
    anexar(true);
}

void Conexao::anexar(bool criando) {
    prepararAmbiente();
    garantirEspacoParaTravas();
    const bool remoto = enderecoDeServidor(m_caminho);
    const auto dpb = parametrosConexao(m_usuario, m_senha, m_papel, criando, remoto);
    Status st;
    const QByteArray nome = caminhoNativo(m_caminho);
    IAttachment *anexo =
        criando
            ? provedor()->createDatabase(&st, nome.constData(), unsigned(dpb.size()), dpb.data())
            : provedor()->attachDatabase(&st, nome.constData(), unsigned(dpb.size()), dpb.data());
    if (!remoto) {
        st.verificar();
    } else {
        try {
            st.verificar();
        } catch (const ErroSistema &e) {
            throw erroDoServidor(m_caminho, m_usuario, e);
        }
    }
    m_anexo = anexo;
}

void Conexao::desconectar() {
    if (!m_anexo)
        return;
    Status st;
    m_anexo->detach(&st);
    if (st.falhou()) {
        m_anexo->release();
        m_anexo = nullptr;
        st.verificar();
    }
    m_anexo = nullptr;
}

void Conexao::apagar() {
    if (!m_anexo)
        return;
    Status st;
    m_anexo->dropDatabase(&st);
    st.verificar(); // still attached when the file could not go
    m_anexo = nullptr;
}

void Conexao::cancelarOperacao() {
    if (!m_anexo)
        return;
    Status st;
    m_anexo->cancelOperation(&st, fb_cancel_raise);
    // Nothing running is no failure of the caller: there is nothing to stop.
}

void Conexao::absorverCancelamento() {
    if (!m_anexo)
        return;
    // The engine raises a pending cancellation at the start of the next call: a ping takes it.
    Status st;
    m_anexo->ping(&st);
}

bool Conexao::cancelada(const std::vector<long> &codigos) {
    return std::find(codigos.begin(), codigos.end(), long(isc_cancelled)) != codigos.end();
}

void Conexao::executarDdl(const QString &sql) {
    Transacao tra(*this);
    tra.iniciar();
    Status st;
    m_anexo->execute(&st, tra.handle(), 0, Win1252::codificar(sql).constData(), 3, nullptr, nullptr,
                     nullptr, nullptr);
    st.verificar();
    tra.commit();
}

// --------------------------------------------------------------- Transacao

Transacao::~Transacao() {
    if (!m_tra)
        return;
    try {
        if (std::uncaught_exceptions() > m_excecoesAoCriar)
            rollback();
        else
            commit();
    } catch (const ErroSistema &) {
        // Nobody is left to tell; the engine rolls back what it must.
    }
}

void Transacao::exigirAtiva() const {
    if (!m_tra)
        throw ErroSistema(QStringLiteral("Não há transação ativa com o banco de dados."));
}

void Transacao::iniciar() {
    if (m_tra)
        return;
    static const unsigned char tpb[] = {isc_tpb_version3, isc_tpb_write, isc_tpb_read_committed,
                                        isc_tpb_rec_version, isc_tpb_nowait};
    Status st;
    ITransaction *t = m_conexao.anexo()->startTransaction(&st, sizeof tpb, tpb);
    st.verificar();
    m_tra = t;
}

std::unique_ptr<Comando> Transacao::preparar(const QString &sql) {
    if (!m_conexao.conectada())
        m_conexao.conectar();
    iniciar();
    return std::make_unique<Comando>(*this, sql);
}

void Transacao::commitRetaining() {
    exigirAtiva();
    Status st;
    m_tra->commitRetaining(&st);
    st.verificar();
}

void Transacao::commit() {
    exigirAtiva();
    Status st;
    m_tra->commit(&st);
    st.verificar();
    m_tra = nullptr;
}

void Transacao::rollback() {
    exigirAtiva();
    Status st;
    m_tra->rollback(&st);
    st.verificar();
    m_tra = nullptr;
}

// ------------------------------------------------------------------ Comando

void Comando::LiberarComando::operator()(IStatement *p) const {
    Status st;
    p->free(&st);
    if (st.falhou())
        p->release();
}

void Comando::FecharCursor::operator()(IResultSet *p) const {
    Status st;
    p->close(&st);
    if (st.falhou())
        p->release();
}

void Comando::LiberarMetadados::operator()(IMessageMetadata *p) const {
    p->release();
}

Comando::Comando(Transacao &transacao, const QString &sql) : m_transacao(transacao) {
    const QString traduzido = trocarParametrosNomeados(sql, m_nomesPorPosicao);
    Status st;
    m_stmt.reset(transacao.conexao().anexo()->prepare(&st, transacao.handle(), 0,
                                                      Win1252::codificar(traduzido).constData(), 3,
                                                      IStatement::PREPARE_PREFETCH_METADATA));
    st.verificar();
    m_metaEntrada.reset(m_stmt->getInputMetadata(&st));
    st.verificar();
    m_metaSaida.reset(m_stmt->getOutputMetadata(&st));
    st.verificar();
    m_valores.resize(m_nomesPorPosicao.size());
    m_bufEntrada.resize(m_metaEntrada->getMessageLength(&st));
    st.verificar();
    m_bufSaida.resize(m_metaSaida->getMessageLength(&st));
    st.verificar();
}

Comando::~Comando() = default;

QStringList Comando::nomesParametros() const {
    QStringList distintos;
    for (const QString &n : m_nomesPorPosicao)
        if (!distintos.contains(n))
            distintos << n;
    return distintos;
}

void Comando::definir(const QString &nome, const QVariant &valor) {
    const QString chave = nome.toUpper();
    for (int i = 0; i < m_nomesPorPosicao.size(); ++i)
        if (m_nomesPorPosicao[i] == chave)
            m_valores[size_t(i)] = valor;
}

QStringList Comando::colunas() const {
    Status st;
    QStringList nomes;
    const unsigned n = m_metaSaida->getCount(&st);
    for (unsigned i = 0; i < n; ++i)
        nomes << QString::fromLatin1(m_metaSaida->getAlias(&st, i));
    return nomes;
}

void Comando::montarEntrada() {
    Status st;
    std::fill(m_bufEntrada.begin(), m_bufEntrada.end(), 0);
    const unsigned n = m_metaEntrada->getCount(&st);
    for (unsigned i = 0; i < n; ++i) {
        const QVariant &v = m_valores[i];
        unsigned char *dado = m_bufEntrada.data() + m_metaEntrada->getOffset(&st, i);
        auto *nulo =
            reinterpret_cast<short *>(m_bufEntrada.data() + m_metaEntrada->getNullOffset(&st, i));
        if (!v.isValid() || v.isNull()) {
            *nulo = -1;
            continue;
        }
        *nulo = 0;
        const unsigned tipo = m_metaEntrada->getType(&st, i) & ~1u;
        const unsigned tamanho = m_metaEntrada->getLength(&st, i);
        const int escala = m_metaEntrada->getScale(&st, i);
        switch (tipo) {
        case SQL_VARYING:
        case SQL_TEXT: {
            const QString texto = v.toString();
            if (const auto recusado = Win1252::primeiroRecusadoEmValor(texto))
                throw ErroSistema(
                    Win1252::mensagemRecusado(m_nomesPorPosicao.value(int(i)), *recusado));
            const QByteArray bytes = Win1252::codificar(texto);
            if (unsigned(bytes.size()) > tamanho)
                throw ErroSistema(QStringLiteral("O texto \"%1\" passa de %2 caracteres.")
                                      .arg(v.toString())
                                      .arg(tamanho));
            if (tipo == SQL_VARYING) {
                const auto len = static_cast<unsigned short>(bytes.size());
                std::memcpy(dado, &len, sizeof len);
                std::memcpy(dado + sizeof len, bytes.constData(), size_t(bytes.size()));
            } else {
                std::memset(dado, ' ', tamanho);
                std::memcpy(dado, bytes.constData(), size_t(bytes.size()));
            }
            break;
        }
        case SQL_SHORT: {
            const auto x = static_cast<short>(paraInteiroEscalado(v, escala));
            std::memcpy(dado, &x, sizeof x);
            break;
        }
        case SQL_LONG: {
            const auto x = static_cast<int32_t>(paraInteiroEscalado(v, escala));
            std::memcpy(dado, &x, sizeof x);
            break;
        }
        case SQL_INT64: {
            const int64_t x = paraInteiroEscalado(v, escala);
            std::memcpy(dado, &x, sizeof x);
            break;
        }
        case SQL_TYPE_DATE: {
            const QDate d = v.toDate();
            if (!d.isValid())
                throw ErroSistema(QStringLiteral("Data inválida."));
            const ISC_DATE x =
                util()->encodeDate(unsigned(d.year()), unsigned(d.month()), unsigned(d.day()));
            std::memcpy(dado, &x, sizeof x);
            break;
        }
        case SQL_TYPE_TIME: {
            const QTime t = v.toTime();
            const ISC_TIME x = util()->encodeTime(unsigned(t.hour()), unsigned(t.minute()),
                                                  unsigned(t.second()), unsigned(t.msec()) * 10);
            std::memcpy(dado, &x, sizeof x);
            break;
        }
        case SQL_BLOB: {
            const ISC_QUAD id = gravarBlob(m_transacao, v.toByteArray());
            std::memcpy(dado, &id, sizeof id);
            break;
        }
        default:
            throw ErroSistema(QStringLiteral("Tipo de parâmetro %1 não suportado.").arg(tipo));
        }
    }
    st.verificar();
}

Linha Comando::lerSaida() const {
    Status st;
    const unsigned n = m_metaSaida->getCount(&st);
    Linha linha(n);
    for (unsigned i = 0; i < n; ++i) {
        const unsigned char *dado = m_bufSaida.data() + m_metaSaida->getOffset(&st, i);
        const auto *nulo =
            reinterpret_cast<const short *>(m_bufSaida.data() + m_metaSaida->getNullOffset(&st, i));
        if (*nulo)
            continue;
        const unsigned tipo = m_metaSaida->getType(&st, i) & ~1u;
        const int escala = m_metaSaida->getScale(&st, i);
        switch (tipo) {
        case SQL_VARYING: {
            unsigned short len;
            std::memcpy(&len, dado, sizeof len);
            linha[i] = Win1252::decodificar(reinterpret_cast<const char *>(dado + 2), len);
            break;
        }
        case SQL_TEXT:
            linha[i] = Win1252::decodificar(reinterpret_cast<const char *>(dado),
                                            int(m_metaSaida->getLength(&st, i)));
            break;
        case SQL_SHORT: {
            short x;
            std::memcpy(&x, dado, sizeof x);
            linha[i] = escala ? inteiroEscalado(x, escala) : QVariant(int(x));
            break;
        }
        case SQL_LONG: {
            int32_t x;
            std::memcpy(&x, dado, sizeof x);
            linha[i] = escala ? inteiroEscalado(x, escala) : QVariant(int(x));
            break;
        }
        case SQL_INT64: {
            int64_t x;
            std::memcpy(&x, dado, sizeof x);
            linha[i] = inteiroEscalado(x, escala);
            break;
        }
        case SQL_TYPE_DATE: {
            ISC_DATE x;
            std::memcpy(&x, dado, sizeof x);
            unsigned a, m, d;
            util()->decodeDate(x, &a, &m, &d);
            linha[i] = QDate(int(a), int(m), int(d));
            break;
        }
        case SQL_TYPE_TIME: {
            ISC_TIME x;
            std::memcpy(&x, dado, sizeof x);
            unsigned h, mi, s, f;
            util()->decodeTime(x, &h, &mi, &s, &f);
            linha[i] = QTime(int(h), int(mi), int(s), int(f / 10));
            break;
        }
        case SQL_BLOB: {
            ISC_QUAD id;
            std::memcpy(&id, dado, sizeof id);
            const QByteArray bytes = lerBlob(const_cast<Transacao &>(m_transacao), id);
            if (m_metaSaida->getSubType(&st, i) == 1)
                linha[i] = Win1252::decodificar(bytes.constData(), int(bytes.size()));
            else
                linha[i] = bytes;
            break;
        }
        default:
            throw ErroSistema(QStringLiteral("Tipo de coluna %1 não suportado.").arg(tipo));
        }
    }
    return linha;
}

Linha Comando::executar() {
    montarEntrada();
    Status st;
    const bool temSaida = m_metaSaida->getCount(&st) > 0;
    m_stmt->execute(&st, m_transacao.handle(), m_metaEntrada.get(), m_bufEntrada.data(),
                    temSaida ? m_metaSaida.get() : nullptr, temSaida ? m_bufSaida.data() : nullptr);
    st.verificar();
    return temSaida ? lerSaida() : Linha{};
}

void Comando::abrirCursor() {
    fecharCursor();
    montarEntrada();
    Status st;
    IResultSet *rs = m_stmt->openCursor(&st, m_transacao.handle(), m_metaEntrada.get(),
                                        m_bufEntrada.data(), m_metaSaida.get(), 0);
    st.verificar();
    m_cursor.reset(rs);
}

bool Comando::buscar(Linha &linha) {
    if (!m_cursor)
        return false;
    Status st;
    const int r = m_cursor->fetchNext(&st, m_bufSaida.data());
    // A cursor that failed cannot be read on: the engine would answer the next fetch with
    // "request synchronization error". It is closed, and reads as ended.
    if (st.falhou())
        fecharCursor();
    st.verificar();
    if (r != IStatus::RESULT_OK) {
        fecharCursor();
        return false;
    }
    linha = lerSaida();
    return true;
}

void Comando::fecharCursor() {
    m_cursor.reset();
}

} // namespace Fb
