#pragma once
#include <QStringList>
#include <QtWidgets/QWidget>

// One column of the paper tape: fifteen right-aligned line positions that
// cannot be edited, painted in the palette's Text colour on its Base colour.
class ColunaFita : public QWidget {
    Q_OBJECT
public:
    explicit ColunaFita(QWidget *parent = nullptr);

    void setLinhas(const QStringList &linhas);
    const QStringList &linhas() const { return m_linhas; }

protected:
    void paintEvent(QPaintEvent *evento) override;

private:
    QStringList m_linhas;
};
