// The tavrek executable: one main window hosting a watch window.
#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QMainWindow frame;
  frame.resize(1100, 760);
  frame.show();
  return QApplication::exec();
}
