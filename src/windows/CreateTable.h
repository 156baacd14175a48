#pragma once
// The questions "Create a Table" asks: the table's name, public or private, and how well the
// computer plays the free seats.

#include <QDialog>

class QComboBox;
class QLineEdit;
class QRadioButton;

namespace pelvo {

class CreateTable : public QDialog {
    Q_OBJECT
public:
    explicit CreateTable(QWidget* parent = nullptr);

    // Opens with `tableName` proposed, public, the classic computer.
    void present(const QString& tableName);
    QString tableName() const;
    bool isPrivate() const;
    QString level() const; // "classic" or "expert"
    void setChoice(const QString& tableName, bool isPrivate, const QString& level);

private:
    QLineEdit* name_ = nullptr;
    QRadioButton* public_ = nullptr;
    QRadioButton* private_ = nullptr;
    QComboBox* level_ = nullptr;
};

} // namespace pelvo
