#include "TransparentLock.h"

TransparentLock::TransparentLock(QWidget* page) : TranslucentLock(page, 255) {}
