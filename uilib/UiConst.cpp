#include "UiConst.h"

QCursor ScreenCursor(int Id) {
    switch (Id) {
    case crHand: return QCursor(Qt::PointingHandCursor);
    case crDragHand: return QCursor(Qt::ClosedHandCursor);
    default: return QCursor(Qt::ArrowCursor);
    }
}
