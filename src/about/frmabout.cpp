#include "about/frmabout.h"

#include "about/aboutcaptions.h"
#include "about/sysinfo.h"
#include "shell/appinfo.h"
#include "shell/captions.h"
#include "shell/legible.h"
#include "shell/twips.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>

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
const QString SupportAddress = QStringLiteral("https://www.example.com/mirebo/");
const QString CopyrightLine = QStringLiteral(u"" MIREBO_COPYRIGHT);
const QString Disclaimer =
    QStringLiteral(u"本ソフトウェアはフリーソフトです。無償で自由に使用・再配布できます。\n"
                   u"著作権は" MIREBO_MAKER u"が保有します。許可なく改変・販売することを禁じます。");

// One stroke of the etched rule: a horizontal line of a colour and width,
// drawn downwards from its y coordinate.
class LineControl : public QWidget
{
public:
    LineControl(QWidget *parent, int index, int x1, int x2, int y, int widthPixels, QColor colour)
        : QWidget(parent)
        , m_colour(colour)
    {
        setObjectName(QStringLiteral("Line1"));
        setProperty("index", index);
        setAttribute(Qt::WA_TransparentForMouseEvents);
        const QPoint from = Twips::toPixels(x1, y);
        const QPoint to = Twips::toPixels(x2, y);
        setGeometry(from.x(), from.y(), to.x() - from.x(), widthPixels);
    }

    QColor colour() const { return m_colour; }

protected:
    void paintEvent(QPaintEvent *) override { QPainter(this).fillRect(rect(), m_colour); }

private:
    QColor m_colour;
};

QLabel *addLabel(QWidget *client, const char *name, int left, int top, int width, int height, const QString &text)
{
    auto *label = new QLabel(text, client);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(Twips::rectToPixels(left, top, width, height));
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

frmAbout::frmAbout()
    : Form(FormKind::frmAbout, TitleButtons::DialogClose)
{
    setWindowTitle(AboutCaptions::StoredCaption);
    setClientSizeTwips(5730, 4170);
    QWidget *form = client();

    // Built in tab order, so the focus chain is cmdOK, picIcon, cmdSysInfo.
    cmdOK = new QPushButton(AboutCaptions::OK, form);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setGeometry(Twips::rectToPixels(4245, 2625, 1380, 345));
    cmdOK->setFocusPolicy(Qt::StrongFocus);

    picIcon = new QLabel(form);
    picIcon->setObjectName(QStringLiteral("picIcon"));
    picIcon->setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    picIcon->setFocusPolicy(Qt::StrongFocus);
    const QPixmap picture(about_picture);
    picIcon->setPixmap(picture);
    // Sizes itself to the picture plus its border.
    const int border = picIcon->frameWidth();
    picIcon->setGeometry(QRect(Twips::toPixels(240, 240), picture.size() + QSize(2 * border, 2 * border)));

    cmdSysInfo = new QPushButton(AboutCaptions::SysInfoButton, form);
    cmdSysInfo->setObjectName(QStringLiteral("cmdSysInfo"));
    cmdSysInfo->setGeometry(Twips::rectToPixels(4260, 3075, 1380, 345));
    cmdSysInfo->setFocusPolicy(Qt::StrongFocus);

    QWidget::setTabOrder(cmdOK, picIcon);
    QWidget::setTabOrder(picIcon, cmdSysInfo);

    lblDescription = addLabel(form, "lblDescription", 1080, 1200, 4005, 450, AboutCaptions::Description);

    lblDisclaimer = addLabel(form, "lblDisclaimer", 120, 2640, 3990, 705, Disclaimer);
    lblDisclaimer->setFont(gothic(8.25, false));

    lblTitle = addLabel(form, "lblTitle", 1050, 240, 3885, 480, AboutCaptions::TitlePlaceholder);

    lblVersion = addLabel(form, "lblVersion", 1050, 780, 3885, 225, AboutCaptions::VersionPlaceholder);

    Label1 = addLabel(form, "Label1", 480, 1920, 1215, 255, AboutCaptions::Brand);
    Label1->setFont(gothic(9, true));

    // Plain text in link colour: nothing opens when it is clicked.
    Label2 = addLabel(form, "Label2", 1920, 1920, 3495, 255, SupportAddress);
    Label2->setFont(gothic(9, true));

    Label3 = addLabel(form, "Label3", 600, 3960, 4695, 255, CopyrightLine);
    showStoredColours();

    // The etched rule: grey 1 pixel over white 2 pixels.
    new LineControl(form, 1, 90, 5654, 2445, 1, QColor(128, 128, 128));
    new LineControl(form, 0, 105, 5654, 2460, 2, Qt::white);

    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
    connect(cmdSysInfo, &QPushButton::clicked, this, &frmAbout::cmdSysInfo_Click);

    // The client area's top-left corner, not the frame's, is where the
    // layout puts the window; before the first show geometry is the client.
    setGeometry(QRect(Twips::toPixels(2340, 1935), size()));
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
            // The default button, unless another button has the focus.
            if (focusWidget() == cmdSysInfo)
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
