#pragma once

class QWidget;

// Gallery page of the grid, caption panels, splitters and spacers in their looks.
QWidget* makeGridPanelGalleryPage(QWidget* parent);
