#include "about/frmabout.h"

#include "about/aboutcaptions.h"
#include "about/sysinfo.h"
#include "shell/appinfo.h"
#include "shell/captions.h"
#include "shell/legible.h"
#include "shell/twips.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QRegularExpression>

namespace {

// The picture of the About window, a 16-colour XPM kept as text in
// resources/ and read when the window is built.
#include "about_picture.xpm"

std::optional<SysInfo::Services> g_testServices;

SysInfo::Services services()
{
    return g_testServices ? *g_testServices : SysInfo::desktopServices();
}

// Texts whose wording is ours.
const QString SupportAddress = QStringLiteral(MIREBO_HOMEPAGE "/");
const QString CopyrightLine = QStringLiteral(u"" MIREBO_COPYRIGHT);
// The terms as every package states them; the label gives each sentence a line.
const QString Disclaimer = QStringLiteral(u"" MIREBO_TERMS_JA);

// One stroke of the etched rule: a horizontal line of a colour and width,
// drawn downwards from its y coordinate (twips, but the width in pixels).
struct Stroke
{
    int index = 0, x1 = 0, x2 = 0, y = 0, widthPixels = 0;
    QColor colour;
};

class LineControl : public QWidget
{
public:
    LineControl(QWidget *parent, const Stroke &stroke)
        : QWidget(parent)
        , m_colour(stroke.colour)
    {
        setObjectName(QStringLiteral("Line1"));
        setProperty("index", stroke.index);
        setAttribute(Qt::WA_TransparentForMouseEvents);
        const QPoint from = Twips::toPixels(stroke.x1, stroke.y);
        const QPoint to = Twips::toPixels(stroke.x2, stroke.y);
        setGeometry(from.x(), from.y(), to.x() - from.x(), stroke.widthPixels);
    }

protected:
    void paintEvent(QPaintEvent *) override { QPainter(this).fillRect(rect(), m_colour); }

private:
    QColor m_colour;
};

QLabel *addLabel(QWidget *client, const char *name, QRect rect, const QString &text)
{
    // The toolkit wraps Japanese between any two characters, inside words
    // too; a line of its own for each sentence keeps the words whole.
    static const QRegularExpression sentenceEnd(QStringLiteral(u"。(?=.)"));
    auto *label = new QLabel(QString(text).replace(sentenceEnd, QStringLiteral(u"。\n")), client);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(rect);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setWordWrap(true);
    label->setAutoFillBackground(true); // opaque, in the window's background colour
    label->setTextFormat(Qt::PlainText);
    label->setFocusPolicy(Qt::NoFocus);
    // Clicks on a label do nothing: no link, no selection.
    label->setTextInteractionFlags(Qt::NoTextInteraction);
    label->setOpenExternalLinks(false);
    return label;
}

// The picture in a sunken frame, sized to the picture plus its border.
QLabel *addPicture(QWidget *client, QPoint topLeftTwips)
{
    auto *picture = new QLabel(client);
    picture->setObjectName(QStringLiteral("picIcon"));
    picture->setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    picture->setFocusPolicy(Qt::StrongFocus);
    const QPixmap pixmap(about_picture);
    picture->setPixmap(pixmap);
    const int border = picture->frameWidth();
    picture->setGeometry(
        QRect(Twips::toPixels(topLeftTwips.x(), topLeftTwips.y()), pixmap.size() + QSize(2 * border, 2 * border)));
    return picture;
}

// The colours the layout gives some labels. They were chosen for a light
// window; on a dark or high-contrast one, black or blue text would vanish.
const QColor StoredBlack(0, 0, 0);
const QColor StoredBlue(0, 0, 255);

QFont gothic(double points, bool bold)
{
    QFont font(Captions::MsPGothic);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

} // namespace

// The window's layout, in twips. Controls are built in tab order, so the
// focus chain is cmdOK, picIcon, cmdSysInfo.
struct frmAbout::Layout
{
    struct Rect
    {
        int left = 0, top = 0, width = 0, height = 0;
        QRect pixels() const { return Twips::rectToPixels(left, top, width, height); }
    };
    struct Button
    {
        const char *name = nullptr;
        Rect rect;
        const QString &caption;

        QPushButton *build(QWidget *client) const
        {
            auto *button = new QPushButton(caption, client);
            button->setObjectName(QString::fromLatin1(name));
            button->setGeometry(rect.pixels());
            button->setFocusPolicy(Qt::StrongFocus);
            return button;
        }
    };
    struct Label
    {
        QLabel *frmAbout::*member = nullptr;
        const char *name = nullptr;
        Rect rect;
        const QString &text;
        double points = 0; // 0: the window's own font
        bool bold = false;
    };
    using Line = Stroke;

    static constexpr QSize Client{5730, 4170};
    static constexpr QPoint Position{2340, 1935}; // of the client area's top-left corner
    static constexpr QPoint PictureAt{240, 240};  // sized to the picture plus its border
    static const Button OK, SysInfo;
    static const Label Labels[];
    static const Line Lines[];
};

const frmAbout::Layout::Button frmAbout::Layout::OK{"cmdOK", {4245, 2625, 1380, 345}, AboutCaptions::OK};
const frmAbout::Layout::Button frmAbout::Layout::SysInfo{
    "cmdSysInfo", {4260, 3075, 1380, 345}, AboutCaptions::SysInfoButton};

const frmAbout::Layout::Label frmAbout::Layout::Labels[] = {
    {&frmAbout::lblDescription, "lblDescription", {1080, 1200, 4005, 450}, AboutCaptions::Description, 0, false},
    {&frmAbout::lblDisclaimer, "lblDisclaimer", {120, 2640, 3990, 705}, Disclaimer, 8.25, false},
    {&frmAbout::lblTitle, "lblTitle", {1050, 240, 3885, 480}, AboutCaptions::TitlePlaceholder, 0, false},
    {&frmAbout::lblVersion, "lblVersion", {1050, 780, 3885, 225}, AboutCaptions::VersionPlaceholder, 0, false},
    {&frmAbout::Label1, "Label1", {480, 1920, 1215, 255}, AboutCaptions::Brand, 9, true},
    // Plain text in link colour: nothing opens when it is clicked.
    {&frmAbout::Label2, "Label2", {1920, 1920, 3495, 255}, SupportAddress, 9, true},
    {&frmAbout::Label3, "Label3", {600, 3960, 4695, 255}, CopyrightLine, 0, false},
};

// The etched rule: grey 1 pixel over white 2 pixels.
const frmAbout::Layout::Line frmAbout::Layout::Lines[] = {
    {1, 90, 5654, 2445, 1, QColor(128, 128, 128)},
    {0, 105, 5654, 2460, 2, Qt::white},
};

frmAbout::frmAbout()
    : Form(FormKind::frmAbout, TitleButtons::DialogClose)
{
    setWindowTitle(AboutCaptions::StoredCaption);
    setClientSizeTwips(Layout::Client.width(), Layout::Client.height());
    QWidget *form = client();

    cmdOK = Layout::OK.build(form);
    picIcon = addPicture(form, Layout::PictureAt);
    cmdSysInfo = Layout::SysInfo.build(form);
    QWidget::setTabOrder(cmdOK, picIcon);
    QWidget::setTabOrder(picIcon, cmdSysInfo);

    for (const Layout::Label &label : Layout::Labels) {
        QLabel *control = addLabel(form, label.name, label.rect.pixels(), label.text);
        if (label.points > 0)
            control->setFont(gothic(label.points, label.bold));
        this->*label.member = control;
    }
    showStoredColours();

    for (const Layout::Line &line : Layout::Lines)
        new LineControl(form, line);

    // OK is the default button, drawn as such, except while system
    // information has the focus: then Enter presses that one, and it shows.
    cmdOK->setDefault(true);
    connect(qApp, &QApplication::focusChanged, this, [this] {
        const bool sysInfo = focusWidget() == cmdSysInfo;
        cmdSysInfo->setDefault(sysInfo);
        cmdOK->setDefault(!sysInfo);
    });

    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
    connect(cmdSysInfo, &QPushButton::clicked, this, &frmAbout::cmdSysInfo_Click);

    // The client area's top-left corner, not the frame's, is where the
    // layout puts the window; before the first show geometry is the client.
    setGeometry(QRect(Twips::toPixels(Layout::Position.x(), Layout::Position.y()), size()));
    cmdOK->setFocus();
}

void frmAbout::Form_Load()
{
    setWindowTitle(App::Title() + AboutCaptions::CaptionSuffix);
    lblVersion->setText(AboutCaptions::VersionPrefix + QString::number(App::Major) + QLatin1Char('.')
                        + QString::number(App::Minor) + QLatin1Char('.') + QString::number(App::Revision));
    lblTitle->setText(App::Title());
}

void frmAbout::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
        if (event->modifiers() == Qt::NoModifier) {
            cmdOK->click();
            return;
        }
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!(event->modifiers() & ~Qt::KeypadModifier)) {
            if (cmdSysInfo->isDefault())
                cmdSysInfo->click();
            else
                cmdOK->click();
            return;
        }
        break;
    default: break;
    }
    Form::keyPressEvent(event);
}

// The stored colours where they read on the window's background, as on the
// light window they were made for. Elsewhere the palette's own text colour
// (the link colour for the address), or, should that not read either, the
// stored colour lightened or darkened until it does. The labels stay opaque
// in the window's colour: a light patch in a dark dialog would defeat the
// reason the user chose a dark or high-contrast palette.
void frmAbout::showStoredColours()
{
    const QPalette &window = palette();
    const QColor ground = window.color(QPalette::Window);
    const std::pair<QLabel *, QColor> stored[] = {
        {lblTitle, StoredBlack}, {lblDescription, StoredBlack}, {lblDisclaimer, StoredBlack}, {Label2, StoredBlue}};
    for (const auto &[label, colour] : stored) {
        const QColor fallback = window.color(label == Label2 ? QPalette::Link : QPalette::WindowText);
        QPalette own; // only the text colour is the label's own
        own.setColor(QPalette::WindowText, Legible::on(ground, colour, fallback));
        label->setPalette(own);
    }
}

void frmAbout::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::PaletteChange)
        showStoredColours();
    Form::changeEvent(event);
}

void frmAbout::cmdOK_Click()
{
    Forms::Unload(kind());
}

void frmAbout::cmdSysInfo_Click()
{
    StartSysInfo();
}

void frmAbout::StartSysInfo()
{
    SysInfo::Services outside = services();
    std::unique_ptr<Registry::Api> registry;
    try {
        registry = outside.openRegistry();
    } catch (...) {
        // No registry at all is one more way of not finding the tool.
        registry.reset();
    }
    SysInfo::Platform platform;
    platform.registry = registry.get();
    platform.fileTest = outside.fileTest;
    platform.startProgram = outside.startProgram;
    platform.messageBox = outside.messageBox;
    SysInfo::StartSysInfo(platform);
}

bool frmAbout::GetKeyValue(const Registry::HKEY &KeyRoot, const std::string &KeyName, const std::string &SubKeyRef,
                           std::string &KeyVal)
{
    const std::unique_ptr<Registry::Api> registry = services().openRegistry();
    return SysInfo::GetKeyValue(*registry, KeyRoot, KeyName, SubKeyRef, KeyVal);
}

void frmAbout::setServicesForTesting(std::optional<SysInfo::Services> services)
{
    g_testServices = std::move(services);
}
