#pragma once
// The phrase editor: nine edits for the phrase buttons; "Done" applies and saves them.

#include <QDialog>

namespace pelvo {

class Tphrases : public QDialog {
    Q_OBJECT
public:
    explicit Tphrases(QWidget* parent = nullptr);
    ~Tphrases() override;

    // Fills phrase1..phrase9 (each at most 50 characters) and shows the editor, centred on
    // `centreOn` (or on the parent window when there is none). It does not block.
    void edit(const QStringList& phrases, QWidget* centreOn = nullptr);
    QStringList phrases() const;
    // The main window's background picture, behind the labels and edits.
    void setBackground(const QPixmap& picture);

signals:
    // "Done": the nine texts, empty ones included.
    void done(const QStringList& phrases);

private:
    void button_doneClick();

    struct Impl;
    Impl* d;
};

} // namespace pelvo
