#pragma once
#include <QWidget>

class QScrollArea;
class QVBoxLayout;

/// The scrolled column of program rows shared by the channel program windows: rows go into *rows (a stretch
/// keeps them at the top).
QScrollArea* makeProgramListArea(QWidget* parent, QVBoxLayout** rows, int minHeight);
