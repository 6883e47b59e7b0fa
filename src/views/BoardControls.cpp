#include "views/BoardControls.h"

#include <QAbstractButton>
#include <QAction>

#include "views/PropertiesView.h"

namespace {

// The command runs with the control as its sender.
void connectSender(PropertiesView *board, QAbstractButton *button, void (PropertiesView::*command)(QObject *)) {
  if (button) {
    QObject::connect(button, &QAbstractButton::clicked, board, [board, button, command] { (board->*command)(button); });
  }
}

void connectCommand(PropertiesView *board, QAbstractButton *button, void (PropertiesView::*command)()) {
  if (button) {
    QObject::connect(button, &QAbstractButton::clicked, board, command);
  }
}

}  // namespace

void connectBoardControls(PropertiesView *board) {
  connectSender(board, board->lockButton, &PropertiesView::lockAction);
  connectSender(board, board->unlockButton, &PropertiesView::lockAction);
  if (QAction *menu = board->lockMenu) {
    QObject::connect(menu, &QAction::triggered, board, [board, menu] { board->lockAction(menu); });
  }
  connectCommand(board, board->breakButton, &PropertiesView::breakAction);
  connectCommand(board, board->infoButton, &PropertiesView::infoAction);
  connectCommand(board, board->upButton, &PropertiesView::upAction);
  connectCommand(board, board->downButton, &PropertiesView::downAction);
  connectCommand(board, board->deleteButton, &PropertiesView::deleteAction);
  for (QAbstractButton *button :
       {board->grayButton.data(), board->redButton.data(), board->greenButton.data(), board->blueButton.data(),
        board->yellowButton.data(), board->magentaButton.data(), board->cyanButton.data()}) {
    connectSender(board, button, &PropertiesView::colourAction);
  }
}
