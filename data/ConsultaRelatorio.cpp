#include "ConsultaRelatorio.h"

#include "Firebird.h"

ConsultaRelatorio::ConsultaRelatorio(Fb::Transacao &tra, QStringList sql)
    : m_tra(tra), m_sql(std::move(sql)) {}

ConsultaRelatorio::~ConsultaRelatorio() = default;

void ConsultaRelatorio::definirParametro(const QString &nome, const QVariant &valor) {
    m_parametros.insert(nome.toUpper(), valor);
}

void ConsultaRelatorio::abrir() {
    if (m_aberta)
        return;
    if (!m_comando) {
        auto comando = m_tra.preparar(m_sql.join(QLatin1Char('\n')));
        m_campos = comando->colunas();
        m_comando = std::move(comando);
    } else {
        // Prepared earlier; the transaction may have ended since (a commit of the window).
        m_tra.iniciar();
    }
    for (auto it = m_parametros.cbegin(); it != m_parametros.cend(); ++it)
        m_comando->definir(it.key(), it.value());
    m_linha.clear();
    m_lidas = 0;
    m_comando->abrirCursor();
    m_aberta = true;
}

void ConsultaRelatorio::fechar() {
    if (m_comando)
        m_comando->fecharCursor();
    m_linha.clear();
    m_lidas = 0;
    m_aberta = false;
}

void ConsultaRelatorio::reiniciar() {
    if (!m_aberta)
        return;
    m_aberta = false;
    abrir();
}

bool ConsultaRelatorio::proxima() {
    if (!m_aberta || !m_comando->buscar(m_linha)) {
        m_linha.clear();
        return false;
    }
    ++m_lidas;
    return true;
}

int ConsultaRelatorio::indiceCampo(const QString &nome) const {
    for (int i = 0; i < m_campos.size(); ++i)
        if (m_campos[i].compare(nome, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QVariant ConsultaRelatorio::valor(int campo) const {
    if (campo < 0 || size_t(campo) >= m_linha.size())
        return {};
    return m_linha[size_t(campo)];
}
