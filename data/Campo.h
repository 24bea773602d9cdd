#pragma once
#include <QObject>
#include <QVariant>

class Conjunto;

enum class TipoCampo { Texto, Inteiro, Valor, Data, Hora, Blob };

// A field object of a dataset: one column of the current record, with the
// size, edit mask and display format that every bound control follows.
class Campo : public QObject {
    Q_OBJECT
public:
    Campo(Conjunto *conjunto, int indice, const QString &coluna, TipoCampo tipo, int tamanho);

    Conjunto *conjunto() const { return m_conjunto; }
    int indice() const { return m_indice; }
    const QString &coluna() const { return m_coluna; }
    TipoCampo tipo() const { return m_tipo; }
    // Characters a text column holds; 0 for other types.
    int tamanho() const { return m_tamanho; }

    const QString &mascaraEdicao() const { return m_mascara; }
    void definirMascaraEdicao(const QString &mascara) { m_mascara = mascara; }
    const QString &formatoExibicao() const { return m_formato; }
    void definirFormatoExibicao(const QString &formato) { m_formato = formato; }

    // The value in the current record; invalid when NULL or there is no record.
    QVariant valor() const;
    bool nulo() const { return !valor().isValid(); }
    QVariant valorAntigo() const;

    // Needs the dataset in the editing or inserting state. A text is cut to the
    // column's size; a character the database cannot store is refused.
    void definirValor(const QVariant &valor);
    void limpar() { definirValor(QVariant()); }

    // The value as the user sees it: 1.234,50 for amounts, dd/mm/yyyy for dates.
    QString texto() const;
    // Reads what the user typed; throws ErroSistema with a message in
    // Portuguese when it cannot be read. Empty text stores NULL.
    void definirTexto(const QString &texto);

    static QString formatar(TipoCampo tipo, const QVariant &valor);

private:
    Conjunto *m_conjunto;
    int m_indice;
    QString m_coluna;
    TipoCampo m_tipo;
    int m_tamanho;
    QString m_mascara;
    QString m_formato;
};
