#pragma once
// Included by PaginaPreparada.h once the page records are declared.

#include <QList>

#include <iterator>
#include <memory>

class ArmazemPaginas;

// The pages of one run, kept compact: each page is encoded into a few bytes
// (positions and texts; the look of a text object is stored once for the whole
// run), and past a few megabytes the encoded pages go to a temporary file with
// their offsets kept here, so a list of a million rows costs memory for its
// index only. Reading a page decodes it; the last few decoded pages are kept,
// so whoever draws, searches or exports one page after the other decodes each
// once. The read side looks like a list of pages given by value (their lists
// are shared, so a copy costs nothing).
class PaginasPreparadas {
public:
    PaginasPreparadas();
    PaginasPreparadas(const PaginasPreparadas &outras);
    PaginasPreparadas(PaginasPreparadas &&outras) noexcept;
    PaginasPreparadas &operator=(const PaginasPreparadas &outras);
    PaginasPreparadas &operator=(PaginasPreparadas &&outras) noexcept;
    ~PaginasPreparadas();

    qsizetype size() const { return m_entradas.size(); }
    bool isEmpty() const { return m_entradas.isEmpty(); }
    PaginaPreparada at(qsizetype indice) const;
    PaginaPreparada operator[](qsizetype indice) const { return at(indice); }
    PaginaPreparada first() const { return at(0); }
    PaginaPreparada last() const { return at(size() - 1); }
    // A page's paper and margins without its elements: costs no decoding.
    const PaginaPreparada &cabecalho(qsizetype indice) const {
        return m_entradas.at(indice).cabecalho;
    }

    // Throws ErroSistema when the temporary file cannot take the page.
    void push_back(const PaginaPreparada &pagina);
    PaginasPreparadas &operator<<(const PaginaPreparada &pagina) {
        push_back(pagina);
        return *this;
    }
    // Gives a page the paper, margins and offset of another, keeping its elements.
    void mudarPapel(qsizetype indice, const PaginaPreparada &papel);
    void reserve(qsizetype quantidade) { m_entradas.reserve(quantidade); }
    void clear();

    // Every page decoded at once: for comparisons and small reports.
    QList<PaginaPreparada> todas() const;
    operator QList<PaginaPreparada>() const { return todas(); }
    bool operator==(const PaginasPreparadas &outras) const;

    // What the encoded pages take, in memory and in the temporary file.
    qint64 bytesEmMemoria() const;
    qint64 bytesEmArquivo() const;

    class const_iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = PaginaPreparada;
        using difference_type = qsizetype;
        using pointer = void;
        using reference = PaginaPreparada;
        const_iterator() = default;
        const_iterator(const PaginasPreparadas *paginas, qsizetype i)
            : m_paginas(paginas), m_i(i) {}
        PaginaPreparada operator*() const { return m_paginas->at(m_i); }
        const_iterator &operator++() {
            ++m_i;
            return *this;
        }
        const_iterator operator++(int) {
            const_iterator antes = *this;
            ++m_i;
            return antes;
        }
        bool operator==(const const_iterator &o) const { return m_i == o.m_i; }

    private:
        const PaginasPreparadas *m_paginas = nullptr;
        qsizetype m_i = 0;
    };
    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, size()}; }

private:
    struct Entrada {
        PaginaPreparada cabecalho; // the page without its elements: its paper
        qint64 posicao = 0;
        qint32 tamanho = 0;
        qint32 bloco = 0; // a block in memory, or -1: the temporary file
    };
    struct Decodificada {
        qsizetype indice = -1;
        QList<ElementoPreparado> elementos;
    };
    static constexpr int decodificadasGuardadas = 8;

    std::shared_ptr<ArmazemPaginas> m_armazem;
    QList<Entrada> m_entradas;
    mutable QList<Decodificada> m_decodificadas; // the most recent first
};
