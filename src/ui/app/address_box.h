#pragma once
// The address box: "Adresse" and an editable drop-down of folders typed so
// far. Enter opens the text as a folder (the key goes on to the box, which
// keeps the text in its list); Tab hands the focus to the active window.
#include <QWidget>

class QComboBox;

namespace tavrek::ui {

class AddressBox : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kWidth = 400;

  explicit AddressBox(QWidget* parent = nullptr);

  QComboBox* comboBox() const { return combo_; }

 signals:
  void openRequested(const QString& path);
  void focusWindowRequested();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QComboBox* combo_ = nullptr;
};

}  // namespace tavrek::ui
