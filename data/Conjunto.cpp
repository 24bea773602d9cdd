#include "Conjunto.h"

#include "Dinheiro.h"
#include "ErroSistema.h"
#include "Firebird.h"

#include <QDate>
#include <QTime>
#include <algorithm>

namespace {

constexpr int k_passoDoBuffer = 1000;

QString juntar(const QStringList &itens, const QString &formato, const QString &separador) {
    QStringList partes;
    for (const QString &c : itens)
        partes << QString(formato).replace(QLatin1String("%1"), c);
    return partes.join(separador);
}

// Brings a value given by a caller to the field's own type, so comparisons and
// parameters see one representation.
QVariant normalizar(TipoCampo tipo, const QVariant &v) {
    if (!v.isValid() || v.isNull())
        return {};
    switch (tipo) {
    case TipoCampo::Inteiro:
        return v.toInt();
    case TipoCampo::Texto:
        return v.toString();
    case TipoCampo::Data:
        return v.toDate();
    case TipoCampo::Hora:
        return v.toTime();
    case TipoCampo::Blob:
        return v.toByteArray();
    case TipoCampo::Valor:
        if (v.userType() == qMetaTypeId<Dinheiro>())
            return v;
        if (const auto d = Dinheiro::lerTexto(v.toString()))
            return QVariant::fromValue(*d);
        throw ErroSistema(QStringLiteral("'%1' não é um valor válido.").arg(v.toString()));
    }
    return v;
}

bool iguais(TipoCampo tipo, const QVariant &a, const QVariant &b) {
    if (!a.isValid() || !b.isValid())
        return a.isValid() == b.isValid();
    if (tipo == TipoCampo::Valor)
        return a.value<Dinheiro>() == b.value<Dinheiro>();
    return a == b;
}

} // namespace

ComandosAtualizacao::ComandosAtualizacao(const QString &tabela, const QStringList &colunas,
                                         QObject *parent)
    : QObject(parent) {
    const QString &chave = colunas.first();
    inserir = QStringLiteral("insert into %1 (%2) values (%3)")
                  .arg(tabela, colunas.join(QStringLiteral(", ")),
                       juntar(colunas, QStringLiteral(":%1"), QStringLiteral(", ")));
    modificar =
        QStringLiteral("update %1 set %2 where %3 = :OLD_%3")
            .arg(tabela, juntar(colunas, QStringLiteral("%1 = :%1"), QStringLiteral(", ")), chave);
    excluir = QStringLiteral("delete from %1 where %2 = :OLD_%2").arg(tabela, chave);
    reler = QStringLiteral("Select %1 from %2 where %3 = :%3")
                .arg(colunas.join(QStringLiteral(", ")), tabela, chave);
}

Conjunto::Conjunto(Fb::Transacao &tra, const QString &sqlInicial, QObject *parent)
    : QObject(parent), m_tra(tra), m_sql{sqlInicial} {}

Conjunto::~Conjunto() = default;

Campo *Conjunto::adicionarCampo(const QString &coluna, TipoCampo tipo, int tamanho) {
    auto *c = new Campo(this, int(m_campos.size()), coluna, tipo, tamanho);
    m_campos << c;
    return c;
}

void Conjunto::definirGerador(const QString &gerador, Campo *id) {
    m_gerador = gerador;
    m_campoId = id;
}

Campo *Conjunto::campo(const QString &coluna) const {
    for (Campo *c : m_campos)
        if (c->coluna().compare(coluna, Qt::CaseInsensitive) == 0)
            return c;
    return nullptr;
}

void Conjunto::substituirSql(const QStringList &linhas) {
    fechar();
    m_sql = linhas;
    abrir();
}

CursorAberto::CursorAberto() = default;
CursorAberto::CursorAberto(CursorAberto &&) noexcept = default;
CursorAberto &CursorAberto::operator=(CursorAberto &&) noexcept = default;
CursorAberto::~CursorAberto() = default;

CursorAberto CursorAberto::abrir(Fb::Transacao &tra, const QStringList &sql, int linhas) {
    CursorAberto c;
    c.sql = sql;
    c.select = tra.preparar(sql.join(QLatin1Char('\n')));
    c.select->abrirCursor();
    c.linhas.reserve(size_t(qMax(0, linhas)));
    for (Fb::Linha lida; int(c.linhas.size()) < linhas && c.select->buscar(lida);)
        c.linhas.push_back(std::move(lida));
    return c;
}

void Conjunto::abrir() {
    if (aberto())
        return;
    // A statement whose first row cannot be read (a value the engine cannot convert) leaves
    // the dataset closed, as one that could not be opened.
    adotar(CursorAberto::abrir(m_tra, m_sql, 1));
}

void Conjunto::adotar(CursorAberto cursor) {
    const Estado antes = m_estado;
    m_select.reset();
    m_linhas.clear();
    m_estado = Estado::Fechado;
    m_sql = cursor.sql;
    const QStringList colunas = cursor.select->colunas();
    m_campoDaColuna.assign(size_t(colunas.size()), -1);
    for (int i = 0; i < colunas.size(); ++i)
        if (Campo *c = campo(colunas[i]))
            m_campoDaColuna[size_t(i)] = c->indice();
    m_linhas.reserve(qMax<size_t>(k_passoDoBuffer, cursor.linhas.size()));
    for (auto &lida : cursor.linhas)
        m_linhas.push_back(linhaDosCampos(std::move(lida)));
    m_select = std::move(cursor.select);
    m_estado = Estado::Navegando;
    m_atual = m_linhas.empty() ? -1 : 0;
    m_bof = true;
    m_eof = m_linhas.empty();
    m_antigo = m_atual >= 0 ? m_linhas[0] : std::vector<QVariant>();
    Q_EMIT reiniciado();
    if (antes != m_estado)
        Q_EMIT estadoMudou(m_estado);
    Q_EMIT registroMudou();
}

void Conjunto::soltarCursor() {
    m_select.reset();
}

void Conjunto::fechar() {
    if (!aberto())
        return;
    m_select.reset();
    m_linhas.clear();
    m_linhas.shrink_to_fit();
    m_antigo.clear();
    m_atual = -1;
    m_eof = m_bof = true;
    m_estado = Estado::Fechado;
    Q_EMIT reiniciado();
    Q_EMIT estadoMudou(m_estado);
    Q_EMIT registroMudou();
}

std::vector<QVariant> Conjunto::linhaDosCampos(std::vector<QVariant> lida) const {
    std::vector<QVariant> linha(size_t(m_campos.size()));
    for (size_t i = 0; i < lida.size() && i < m_campoDaColuna.size(); ++i)
        if (m_campoDaColuna[i] >= 0)
            linha[size_t(m_campoDaColuna[i])] = std::move(lida[i]);
    return linha;
}

bool Conjunto::buscarUma() {
    if (!m_select || !m_select->cursorAberto())
        return false;
    Fb::Linha lida;
    if (!m_select->buscar(lida))
        return false;
    // Grown geometrically: a whole list read row by row never moves its rows more than twice.
    m_linhas.push_back(linhaDosCampos(std::move(lida)));
    return true;
}

bool Conjunto::podeCarregarMais() const {
    return m_select && m_select->cursorAberto();
}

void Conjunto::carregarMais(int quantas) {
    const int antes = linhasCarregadas();
    const auto contar = [&] {
        if (linhasCarregadas() > antes)
            Q_EMIT linhasAcrescentadas(antes, linhasCarregadas() - 1);
    };
    try {
        while (quantas-- > 0 && buscarUma()) {
        }
    } catch (...) {
        // The rows read before a failing one are told all the same: the grids count on it.
        contar();
        throw;
    }
    contar();
}

void Conjunto::carregarTudo() {
    while (podeCarregarMais())
        carregarMais(k_passoDoBuffer);
}

void Conjunto::exigirAberto() const {
    if (!aberto())
        throw ErroSistema(
            QStringLiteral("Operação não permitida: o conjunto de dados está fechado."));
}

void Conjunto::exigirNavegando() {
    exigirAberto();
    if (emEdicao())
        gravar();
}

void Conjunto::irPara(int linha) {
    exigirNavegando();
    if (linha >= linhasCarregadas())
        carregarMais(linha - linhasCarregadas() + 1);
    m_bof = linha < 0 || m_linhas.empty();
    m_eof = linha >= linhasCarregadas() || m_linhas.empty();
    m_atual = m_linhas.empty() ? -1 : qBound(0, linha, linhasCarregadas() - 1);
    m_antigo = m_atual >= 0 ? m_linhas[size_t(m_atual)] : std::vector<QVariant>();
    Q_EMIT registroMudou();
}

void Conjunto::proximo() {
    irPara(m_atual + 1);
}

void Conjunto::anterior() {
    irPara(m_atual - 1);
}

void Conjunto::ultimo() {
    exigirNavegando();
    carregarTudo();
    irPara(linhasCarregadas() - 1);
}

void Conjunto::mudarEstado(Estado estado) {
    if (m_estado == estado)
        return;
    m_estado = estado;
    Q_EMIT estadoMudou(estado);
}

void Conjunto::inserir() {
    exigirNavegando();
    const int posicao = m_atual < 0 ? 0 : m_atual;
    m_linhas.insert(m_linhas.begin() + posicao, std::vector<QVariant>(size_t(m_campos.size())));
    m_atual = posicao;
    m_antigo = m_linhas[size_t(posicao)];
    m_bof = m_eof = false;
    Q_EMIT linhaInserida(posicao);
    mudarEstado(Estado::Inserindo);
    Q_EMIT registroMudou();
}

void Conjunto::editar() {
    exigirAberto();
    if (emEdicao())
        return;
    if (m_linhas.empty()) {
        inserir();
        return;
    }
    mudarEstado(Estado::Editando);
}

QVariant Conjunto::valor(int linha, int campo) const {
    if (linha < 0 || linha >= linhasCarregadas())
        return {};
    return m_linhas[size_t(linha)][size_t(campo)];
}

QVariant Conjunto::valorAtual(int campo) const {
    return valor(m_atual, campo);
}

QVariant Conjunto::valorAntigo(int campo) const {
    return campo < int(m_antigo.size()) ? m_antigo[size_t(campo)] : QVariant();
}

void Conjunto::definirValorAtual(Campo *campo, const QVariant &valor) {
    if (!emEdicao())
        throw ErroSistema(
            QStringLiteral("O registro não está em edição: use Alterar ou Novo antes de digitar."));
    const QVariant v = normalizar(campo->tipo(), valor);
    QVariant &guardado = m_linhas[size_t(m_atual)][size_t(campo->indice())];
    if (iguais(campo->tipo(), guardado, v) && guardado.isValid() == v.isValid())
        return;
    guardado = v;
    Q_EMIT campoMudou(campo);
}

Fb::Comando &Conjunto::comando(std::unique_ptr<Fb::Comando> &cache, const QString &sql) {
    if (!cache)
        cache = std::make_unique<Fb::Comando>(m_tra, sql);
    return *cache;
}

void Conjunto::executarAtualizacao(std::unique_ptr<Fb::Comando> &cache, const QString &sql,
                                   const std::vector<QVariant> &atual,
                                   const std::vector<QVariant> &antigo) {
    Fb::Comando &cmd = comando(cache, sql);
    for (const QString &nome : cmd.nomesParametros()) {
        const bool old = nome.startsWith(QLatin1String("OLD_"));
        const Campo *c = campo(old ? nome.mid(4) : nome);
        if (!c)
            throw ErroSistema(QStringLiteral("Parâmetro %1 sem campo correspondente.").arg(nome));
        const auto &fonte = old ? antigo : atual;
        cmd.definir(nome,
                    size_t(c->indice()) < fonte.size() ? fonte[size_t(c->indice())] : QVariant());
    }
    cmd.executar();
}

QVariant Conjunto::proximoId() {
    const QString sql = QStringLiteral("SELECT GEN_ID(%1, %2) FROM RDB$DATABASE")
                            .arg(QLatin1Char('"') + m_gerador + QLatin1Char('"'))
                            .arg(1);
    const Fb::Linha linha = comando(m_cmdGerador, sql).executar();
    return linha.empty() ? QVariant() : QVariant(linha[0].toInt());
}

void Conjunto::gravar() {
    exigirAberto();
    if (!emEdicao())
        return;
    entregarTextos();
    auto &linha = m_linhas[size_t(m_atual)];
    if (m_atualizacao == nullptr)
        throw ErroSistema(QStringLiteral("Este conjunto de dados não pode ser gravado."));
    if (m_estado == Estado::Inserindo) {
        if (m_campoId && !linha[size_t(m_campoId->indice())].isValid()) {
            linha[size_t(m_campoId->indice())] = proximoId();
            Q_EMIT campoMudou(m_campoId);
        }
        executarAtualizacao(m_cmdInserir, m_atualizacao->inserir, linha, m_antigo);
    } else {
        executarAtualizacao(m_cmdModificar, m_atualizacao->modificar, linha, m_antigo);
    }
    m_antigo = linha;
    mudarEstado(Estado::Navegando);
    Q_EMIT registroMudou();
}

void Conjunto::registrarEntregador(EntregadorTexto *entregador) {
    if (std::find(m_entregadores.begin(), m_entregadores.end(), entregador) == m_entregadores.end())
        m_entregadores.push_back(entregador);
}

void Conjunto::removerEntregador(EntregadorTexto *entregador) {
    m_entregadores.erase(std::remove(m_entregadores.begin(), m_entregadores.end(), entregador),
                         m_entregadores.end());
}

void Conjunto::entregarTextos() {
    std::vector<ErroSistema> recusas;
    // A copy: a control may be unbound while it hands its text over.
    const std::vector<EntregadorTexto *> entregadores = m_entregadores;
    for (EntregadorTexto *e : entregadores) {
        if (std::find(m_entregadores.begin(), m_entregadores.end(), e) == m_entregadores.end())
            continue;
        try {
            e->entregarPendente();
        } catch (const ErroSistema &erro) {
            recusas.push_back(erro);
        }
    }
    if (recusas.size() == 1)
        throw recusas.front();
    if (!recusas.empty()) {
        QStringList mensagens;
        std::vector<long> codigos;
        for (const ErroSistema &r : recusas) {
            mensagens << r.mensagem();
            codigos.insert(codigos.end(), r.codigos().begin(), r.codigos().end());
        }
        throw ErroSistema(mensagens.join(QLatin1Char('\n')), std::move(codigos));
    }
}

int Conjunto::sairDaEdicao() {
    int removida = -1;
    if (m_estado == Estado::Inserindo) {
        m_linhas.erase(m_linhas.begin() + m_atual);
        removida = m_atual;
        if (m_atual >= linhasCarregadas())
            m_atual = linhasCarregadas() - 1;
        m_eof = m_bof = m_linhas.empty();
    } else if (m_estado == Estado::Editando) {
        m_linhas[size_t(m_atual)] = m_antigo;
    }
    m_antigo = m_atual >= 0 ? m_linhas[size_t(m_atual)] : std::vector<QVariant>();
    // Browsing again before anyone is told: a grid that moves its cursor as a row goes away
    // must find nothing pending that its move would post.
    m_estado = Estado::Navegando;
    return removida;
}

void Conjunto::cancelar() {
    if (!emEdicao())
        return;
    const int removida = sairDaEdicao();
    if (removida >= 0)
        Q_EMIT linhaRemovida(removida);
    Q_EMIT estadoMudou(m_estado);
    Q_EMIT registroMudou();
}

void Conjunto::excluir() {
    exigirAberto();
    if (m_estado == Estado::Inserindo) {
        cancelar();
        return;
    }
    if (m_linhas.empty())
        throw ErroSistema(QStringLiteral("Não há registro para excluir."));
    if (m_atualizacao == nullptr)
        throw ErroSistema(QStringLiteral("Este conjunto de dados não pode ser gravado."));
    const bool editava = m_estado == Estado::Editando;
    if (editava)
        sairDaEdicao();
    executarAtualizacao(m_cmdExcluir, m_atualizacao->excluir, m_antigo, m_antigo);
    const int removida = m_atual;
    m_linhas.erase(m_linhas.begin() + m_atual);
    Q_EMIT linhaRemovida(removida);
    if (m_atual >= linhasCarregadas() && podeCarregarMais())
        carregarMais(1);
    if (m_atual >= linhasCarregadas())
        m_atual = linhasCarregadas() - 1;
    m_eof = m_bof = m_linhas.empty();
    m_antigo = m_atual >= 0 ? m_linhas[size_t(m_atual)] : std::vector<QVariant>();
    if (editava)
        Q_EMIT estadoMudou(m_estado);
    Q_EMIT registroMudou();
}

bool Conjunto::localizar(const QString &coluna, const QVariant &valor) {
    exigirNavegando();
    const Campo *c = campo(coluna);
    if (!c)
        throw ErroSistema(QStringLiteral("Campo %1 não encontrado.").arg(coluna));
    const QVariant procurado = normalizar(c->tipo(), valor);
    const size_t k = size_t(c->indice());
    for (int i = 0;; ++i) {
        if (i >= linhasCarregadas()) {
            if (!podeCarregarMais())
                return false;
            carregarMais(k_passoDoBuffer);
            if (i >= linhasCarregadas())
                return false;
        }
        if (iguais(c->tipo(), m_linhas[size_t(i)][k], procurado)) {
            irPara(i);
            return true;
        }
    }
}
