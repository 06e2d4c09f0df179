#pragma once

#include <QMenu>
#include <QPixmap>
#include <QPointer>
#include <QString>
#include <QWidget>

class QAction;


enum TRsPngButtonStyle { pbsFlat, pbsFlatCheck, pbsNoFrame, pbsDropdown };
enum TRsDownOffsetStyle { dosBottomRight, dosRight, dosNone };
enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
// up: normal; down: the left button is held over it; exclusive: latched down.
enum TRsButtonState { bsUp, bsDisabled, bsDown, bsExclusive };

// A flat button showing a PNG image with alpha and an optional caption, with its own images
// for the normal, hot and pressed looks and a disabled look derived from the normal one. It can
// be a check button, one of a group of exclusive buttons (all grouped buttons of one parent),
// drop down a menu, and follow an action's caption, enabled and checked state and image.
class TRsPngButton : public QWidget {
    Q_OBJECT
public:
    // Width of the drop-down arrow area at the right of a pbsDropdown button.
    static constexpr int ArrowWidth = 18;

    explicit TRsPngButton(QWidget* parent = nullptr);
    ~TRsPngButton() override;

    bool AllowAllUp() const { return m_allowAllUp; }
    void SetAllowAllUp(bool value);
    TRsPngButtonStyle ButtonStyle() const { return m_buttonStyle; }
    void SetButtonStyle(TRsPngButtonStyle value);
    bool Down() const { return m_down; }
    void SetDown(bool value);
    TRsDownOffsetStyle DownOffsetStyle() const { return m_downOffsetStyle; }
    void SetDownOffsetStyle(TRsDownOffsetStyle value);
    QMenu* DropDownMenu() const { return m_dropDownMenu; }
    void SetDropDownMenu(QMenu* menu);
    // Where the menu hangs from the button: Qt::AlignLeft (default), Qt::AlignRight or Qt::AlignHCenter.
    Qt::Alignment DropDownAlignment() const { return m_dropDownAlignment; }
    void SetDropDownAlignment(Qt::Alignment value) { m_dropDownAlignment = value; }
    bool Grouped() const { return m_grouped; }
    void SetGrouped(bool value);
    TButtonLayout Layout() const { return m_layout; }
    void SetLayout(TButtonLayout value);
    int Spacing() const { return m_spacing; }
    void SetSpacing(int value);
    bool Transparent() const { return m_transparent; }
    void SetTransparent(bool value);

    QString Caption() const { return m_caption; }
    void SetCaption(const QString& value);
    // The tooltip text and whether it is shown.
    QString Hint() const { return m_hint; }
    void SetHint(const QString& value);
    bool ShowHint() const { return m_showHint; }
    void SetShowHint(bool value) { m_showHint = value; }

    QPixmap GlyphUp() const { return m_glyphUp; }
    void SetGlyphUp(const QPixmap& value);
    QPixmap GlyphDown() const { return m_glyphDown; }
    void SetGlyphDown(const QPixmap& value);
    QPixmap GlyphHot() const { return m_glyphHot; }
    void SetGlyphHot(const QPixmap& value);
    // Derived from the up image: the same picture at half its opacity.
    QPixmap GlyphDisabled() const { return m_glyphDisabled; }
    bool ImageFromAction() const { return m_imageFromAction; }

    // The action the button shows and executes; nullptr to unbind. Not owned.
    QAction* Action() const { return m_action; }
    void SetAction(QAction* action);

    bool MouseInControl() const { return m_mouseInControl; }
    TRsButtonState ButtonState() const { return m_buttonState; }
    // Raises OnClick and executes the action.
    void Click();

    // Screen point where the drop-down menu opens (its top-left corner, before the menu system
    // moves it to fit); (0, 0) without a menu.
    QPoint DropDownPoint() const;

    // The picture painted now, chosen by state: disabled, pressed, hot or normal.
    QPixmap CurrentGlyph() const;
    // Rectangles of image, caption and arrow area as painted now, in widget coordinates.
    QRect GlyphRect() const;
    QRect CaptionRect() const;
    QRect ArrowRect() const;

    QSize sizeHint() const override;

signals:
    void OnClick();
    void OnDblClick();
    void OnMouseEnter();
    void OnMouseLeave();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;

private:
    struct Geometry {
        QRect glyph, caption, arrow;
    };
    Geometry computeGeometry() const;
    bool shownPressed() const;
    void mouseEntered(bool crossed);
    void mouseLeft(bool crossed);
    void recheckMouse();
    void releaseStep(bool inside);
    void tellGroup();
    void groupButtonPressed(TRsPngButton* sender);
    void deriveDisabledGlyph();
    void actionChanged();
    void takeImageFromAction();
    void dropDown();

    bool m_allowAllUp = false;
    TRsPngButtonStyle m_buttonStyle = pbsFlat;
    bool m_down = false;
    TRsDownOffsetStyle m_downOffsetStyle = dosRight;
    QPointer<QMenu> m_dropDownMenu;
    Qt::Alignment m_dropDownAlignment = Qt::AlignLeft;
    QPixmap m_glyphDisabled, m_glyphDown, m_glyphHot, m_glyphUp;
    bool m_grouped = false;
    bool m_imageFromAction = false;
    TButtonLayout m_layout = blGlyphLeft;
    bool m_leftClicked = false;
    bool m_menuTracking = false;
    int m_spacing = 4;
    bool m_transparent = true;
    bool m_mouseInControl = false;
    TRsButtonState m_buttonState = bsUp;
    QString m_caption;
    QString m_hint;
    bool m_showHint = true;

    QPointer<QAction> m_action;
    // What the action last said, to tell whether caption and down state still follow it.
    QString m_actionText;
    bool m_actionChecked = false;
};
