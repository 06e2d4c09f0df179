#pragma once

class QWidget;
class TRsImageList;

// The gallery's own pages. Each shows components in all their looks side by side.
QWidget* makeButtonsPage(TRsImageList* images, QWidget* parent);
QWidget* makePicturesPage(TRsImageList* images, QWidget* parent);
