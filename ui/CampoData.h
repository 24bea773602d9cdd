#pragma once
#include <QDate>
#include <QtWidgets/QLineEdit>

class QCalendarWidget;

// A date picker: the date typed digit by digit into dd/mm/aaaa, or picked from a calendar that
// drops down (the button at its right, F4 or Alt+Down). The date read is always the one typed,
// whole: a date that does not exist (31/02) is refused with a message saying why when the
// field is left, never bent into another.
class CampoData : public QLineEdit {
    Q_OBJECT
public:
    explicit CampoData(QWidget *parent = nullptr);

    void setDate(const QDate &data);
    // The date typed; an invalid QDate while the text names none.
    QDate date() const;
    // The date typed, or ErroSistema with the reason it names none.
    QDate dataConferida() const;

    // The calendar, once dropped down.
    QCalendarWidget *calendario() const { return m_calendario; }
    void mostrarCalendario();

protected:
    void focusOutEvent(QFocusEvent *evento) override;
    void keyPressEvent(QKeyEvent *evento) override;

private:
    QCalendarWidget *m_calendario = nullptr;
};
