// The overview panel's width and its slot lines' tool tips.
#include "ui/MainWindow.h"
#include "ui/OverviewText.h"
#include "view/ViewGeometry.h"

void MainWindow::dragPanelEdge(int edgeX) {
    const int width = ViewGeometry::draggedOverviewWidth(edgeX, centralWidget()->width());
    // The designed width is kept as no width of its own, as a fresh settings file has it.
    options().panelWidth = width == ViewGeometry::kOverviewWidth ? 0 : width;
    layOut();
}

QString MainWindow::overviewToolTip(int line) const {
    const int slot = overviewSlotOfLine(line);
    if (!overviewShown_ || slot < 0 || !library().hasPage(library().currentPage())) return QString();
    return library().current().folderSlots[static_cast<size_t>(slot)].folder;
}
