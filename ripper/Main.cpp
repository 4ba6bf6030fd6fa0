#include "ripper/Main.h"

#include "common/DialogControls.h"
#include "common/GlobeVar.h"
#include "components/ComponentError.h"
#include "components/GenreList.h"
#include "components/TAudioCDGrabber2.h"
#include "components/TAudioFile2.h"
#include "components/TAudioFile2LameEnc.h"
#include "components/TAudioInformation2.h"
#include "components/TAudioPlayer2.h"
#include "components/TFreeDBInformation2.h"
#include "platform/FormResource.h"
#include "platform/ModalDialogs.h"
#include "platform/ProfileFile.h"
#include "platform/Shell.h"
#include "platform/TickCount.h"
#include "platform/UserMessages.h"
#include "ripper/Options.h"
#include "ripper/RGlobeVar.h"
#include "ripper/RNaming.h"
#include "ripper/RProgress.h"
#include "ripper/RipJob.h"
#include "skin-extra/SKListView.h"
#include "skin/SKButton.h"
#include "skin/SKMgr.h"
#include "skin/SKSkinForm.h"
#include "skin/SKTrackBar.h"

#include <QApplication>
#include <QComboBox>
#include <QDate>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>
#include <exception>
#include <memory>

namespace Duzivuz {

namespace {

QString trackTypeName(int type) {
    switch (type) {
    case 0:
        return QStringLiteral("AUDIO");
    case 1:
        return QStringLiteral("DATA (Mode 1)");
    case 2:
        return QStringLiteral("DATA (Mode 2)");
    case 21:
        return QStringLiteral("DATA (Mode 2, Form 1)");
    case 22:
        return QStringLiteral("DATA (Mode 2, Form 2)");
    case -1:
        return QStringLiteral("Unrecognized");
    default:
        return QString();
    }
}

QString discTypeName(int type) {
    switch (type) {
    case 0:
        return QStringLiteral("CD-ROM");
    case 1:
        return QStringLiteral("CD-R");
    case 2:
        return QStringLiteral("CD-RW");
    case 3:
        return QStringLiteral("DVD-ROM");
    case 4:
        return QStringLiteral("DVD+R");
    case 5:
        return QStringLiteral("DVD+RW");
    case 6:
        return QStringLiteral("DVD-R");
    case 7:
        return QStringLiteral("DVD-RW");
    case 8:
        return QStringLiteral("DVD-RAM");
    default:
        return QString();
    }
}

QString thisYear() {
    return RNaming::FieldOfDate(QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")), 1);
}

// The track list's cells with grid lines at their right and bottom edges.
class TGridDelegate : public TskListRowDelegate {
public:
    using TskListRowDelegate::TskListRowDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        TskListRowDelegate::paint(painter, option, index);
        painter->save();
        painter->setPen(QColor(0x4A, 0x45, 0x40));
        painter->drawLine(option.rect.topRight(), option.rect.bottomRight());
        painter->drawLine(option.rect.bottomLeft(), option.rect.bottomRight());
        painter->restore();
    }
};

// Columns of lvTracks.
enum Column { ColNumber, ColArtist, ColTitle, ColType, ColLength, ColPercent };

} // namespace

TfrmMain::TfrmMain(QWidget* owner) : TForm(owner) {
    setMainForm(true);
    LoadFormResource(this, QStringLiteral(":/forms/Duzivuz/Main.form"));
    ACDG = FormChild<TAudioCDGrabber2>(this, QStringLiteral("ACDG"));
    FreeDBInfo = FormChild<TFreeDBInformation2>(this, QStringLiteral("FreeDBInfo"));
    AF = FormChild<TAudioFile2>(this, QStringLiteral("AF"));
    AudioFile2LameEnc = FormChild<TAudioFile2LameEnc>(this, QStringLiteral("AudioFile2LameEnc"));
    AI = FormChild<TAudioInformation2>(this, QStringLiteral("AI"));
    AP = FormChild<TAudioPlayer2>(this, QStringLiteral("AP"));
    tmFreeDB = FormChild<QTimer>(this, QStringLiteral("tmFreeDB"));
    tmEject = FormChild<QTimer>(this, QStringLiteral("tmEject"));
    lbInfo1 = FormChild<QLabel>(this, QStringLiteral("lbInfo1"));
    lbInfo2 = FormChild<QLabel>(this, QStringLiteral("lbInfo2"));
    cboxDevice = NativeCombo(FormChild<QObject>(this, QStringLiteral("cboxDevice")));
    cboxROutputFormat = NativeCombo(FormChild<QObject>(this, QStringLiteral("cboxROutputFormat")));
    cboxPriority = NativeCombo(FormChild<QObject>(this, QStringLiteral("cboxPriority")));
    cboxGenre = NativeCombo(FormChild<QObject>(this, QStringLiteral("cboxGenre")));
    edAlbum = NativeEdit(FormChild<QObject>(this, QStringLiteral("edAlbum")));
    edArtist = NativeEdit(FormChild<QObject>(this, QStringLiteral("edArtist")));
    edTitle = NativeEdit(FormChild<QObject>(this, QStringLiteral("edTitle")));
    edYear = NativeEdit(FormChild<QObject>(this, QStringLiteral("edYear")));
    lvTracks = NativeList(FindFormObject(this, QStringLiteral("lvTracks")));
    btnExtract = FormChild<QWidget>(this, QStringLiteral("btnExtract"));
    btnPlay = FormChild<QWidget>(this, QStringLiteral("btnPlay"));
    btnStop = FormChild<QWidget>(this, QStringLiteral("btnStop"));
    imgLT = FormChild<QLabel>(this, QStringLiteral("imgLT"));
    imgRT = FormChild<QLabel>(this, QStringLiteral("imgRT"));
    imgLD = FormChild<QLabel>(this, QStringLiteral("imgLD"));
    imgRD = FormChild<QLabel>(this, QStringLiteral("imgRD"));
    plSide = FormChild<QLabel>(this, QStringLiteral("plSide"));
    skSkinForm1 = FormChild<TskSkinForm>(this, QStringLiteral("skSkinForm1"));
    themeNew2 = FormChild<TskBuiltInFileTheme>(this, QStringLiteral("themeNew2"));
    Button1 = FormChild<TskButton>(this, QStringLiteral("Button1"));
    tbarPlayProgress = FormChild<TskTrackBar>(this, QStringLiteral("tbarPlayProgress"));
    tbarVolume = FormChild<TskTrackBar>(this, QStringLiteral("tbarVolume"));
    cboxMute = FormChild<TskCheckBox>(this, QStringLiteral("cboxMute"));
    // The player's volume moves the slider (whose handler hands the same value back, which goes no
    // further); its mute checks the box and mutes this window's playback too.
    connect(&m_level, &TPlaybackLevel::VolumeChanged, this,
            [this](int volume) { tbarVolume->SetPosition(volume); });
    connect(&m_level, &TPlaybackLevel::MutedChanged, this, [this](bool muted) {
        cboxMute->SetChecked(muted);
        if (m_shown) AP->SetMute(muted ? -1 : 0);
    });
    cboxLockTray = FormChild<TskCheckBox>(this, QStringLiteral("cboxLockTray"));
    cboxAutoEject = FormChild<TskCheckBox>(this, QStringLiteral("cboxAutoEject"));
    moList = FormChild<QPlainTextEdit>(this, QStringLiteral("moList"));
    for (const char* name :
         {"btnPlay", "btnStop", "btnSelectAll", "btnSelectNone", "btnInvert", "btnRefresh", "btnGetInfo",
          "cboxDevice", "cboxPriority", "cboxROutputFormat", "btnExtract", "lvTracks"})
        m_controls << FormChild<QWidget>(this, QString::fromLatin1(name));
    // The genre box takes the looked-up genre as typed text.
    cboxGenre->setEditable(true);
    for (int i = 0; i < GenreCount; ++i)
        cboxGenre->addItem(GenreName(i) +
                           (i == GenreCount - 1 ? QStringLiteral("   ") : QStringLiteral("  ")));
    // No genre until a disc is read (an editable list would show its first item).
    cboxGenre->setCurrentIndex(-1);
    cboxGenre->setEditText(QString());
    // The track list: check boxes, whole rows, grid lines, the columns' widths and alignment.
    const int widths[] = {60, 130, 260, 66, 90, 55};
    for (int c = 0; c < 6; ++c)
        lvTracks->setColumnWidth(c, widths[c]);
    lvTracks->headerItem()->setTextAlignment(ColType, Qt::AlignHCenter | Qt::AlignVCenter);
    lvTracks->headerItem()->setTextAlignment(ColPercent, Qt::AlignRight | Qt::AlignVCenter);
    lvTracks->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvTracks->setSelectionMode(QAbstractItemView::SingleSelection);
    lvTracks->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvTracks->setItemDelegate(new TGridDelegate(lvTracks));
    AF->SetLameEncoder(AudioFile2LameEnc);
    m_rip = new TRipJob(this, ACDG, AF, AudioFile2LameEnc, this);
    ApplyEmbeddedTheme(this);
}

TfrmMain::~TfrmMain() = default;

TskFileTheme* TfrmMain::DialogTheme() const {
    return themeNew2;
}

void TfrmMain::log(const QString& line) {
    moList->appendPlainText(line);
}

QTreeWidgetItem* TfrmMain::row(int index) const {
    return lvTracks->topLevelItem(index);
}

int TfrmMain::selectedRow() const {
    const QList<QTreeWidgetItem*> selected = lvTracks->selectedItems();
    return selected.isEmpty() ? -1 : lvTracks->indexOfTopLevelItem(selected.first());
}

void TfrmMain::FormCreate() {
    // The window's shape: the four corner pictures on black, white (outside) where they show it.
    skSkinForm1->ShapeFromCorners({imgLT, imgRT, imgLD, imgRD});
    // The pictures over the shape and the caption let the mouse through, so pressing on the
    // window's background, corners, title picture or caption drags the window.
    for (const char* name : {"imgBackground", "imgLT", "imgRT", "imgLD", "imgRD", "imgTitle", "titleMain"})
        FormChild<QWidget>(this, QLatin1String(name))->setAttribute(Qt::WA_TransparentForMouseEvents);
    plSide->move(width() - 2, 4);
    plSide->show();
    GlobeVar::SetProgramFolders();
    GlobeVar::OutputPath = GlobeVar::AppPath;
    GlobeVar::ConvertOutputPath = GlobeVar::AppPath;
    TrackKeys.clear();
    AlbumList.clear();
    ArtistList.clear();
    TitleList.clear();
    cboxDevice->clear();
    m_shown = false;
    try {
        // The player's output device: the one chosen, or the first when that one is gone.
        if (AP->GetDeviceCount() < AP->GetDevice())
            AP->SetDevice(0);
        else
            AP->SetDevice(AP->GetDevice());
    } catch (const std::exception&) {
        // No playback device: the preview says so when it is started.
    }
    RipFormat = 1;
    EnableControls(false);
    m_lookupLoaded = false;
    cboxROutputFormat->setCurrentIndex(0);
    m_lookupMode = 1;
    try {
        log(QStringLiteral("Accessing CD\\DVD-drive(s)"));
        ACDG->Initialize();
        ACDG->SetGrabMode(1);
        ACDG->SetReadOptionC(1);
        m_driveCount = 0;
        cboxDevice->clear();
        const int n = ACDG->GetDriveCount();
        for (int i = 1; i <= n; ++i) {
            ACDG->SelectDrive(i);
            cboxDevice->addItem(QStringLiteral("[") + ACDG->GetDriveId() + QStringLiteral("]  ") +
                                ACDG->GetDriveVendor() + QStringLiteral("  ") + ACDG->GetDriveProduct() +
                                QStringLiteral("  ") + ACDG->GetDriveRevision());
            ++m_driveCount;
        }
        if (cboxDevice->count() == 0) throw ComponentError(QStringLiteral("No drive."));
        cboxDevice->setCurrentIndex(0);
        ACDG->SelectDrive(1);
        AF->ConnectTo(ACDG->GetAudioFileLink());
        AF->EnableWMA(-1);
        RefreshDisc();
        EnableControls(true);
    } catch (const std::exception&) {
        m_driveCount = 0;
        cboxDevice->clear();
        cboxDevice->addItem(QStringLiteral("CD\\DVD drives were not detected!"));
        cboxDevice->setCurrentIndex(0);
        EnableControls(false);
    }
}

void TfrmMain::FormShow() {
    m_shown = true;
    const TRSettings settings = ReadRSettings(m_settings.get().Text());
    ApplyRSettings(settings);
    RipFormat = settings.ROutputFormat;
    cboxROutputFormat->setCurrentIndex(RipFormat - 1);
    if (m_options) m_options->ShowRunSettings();
    ChoosePlaybackLine();
}

void TfrmMain::FormClose() {
    if (m_rip->Running()) CancelRip();
    StopPreview();
    const TRSettings settings = CurrentRSettings(RipFormat);
    m_settings.get().Change([&](ProfileText& file) { WriteRSettings(file, settings); });
    AF->ConnectTo(nullptr);
}

void TfrmMain::EnableControls(bool Enabled) {
    for (QWidget* w : m_controls)
        w->setEnabled(Enabled);
    lvTracks->viewport()->update();
}

void TfrmMain::EnableTagEdits(bool Enabled) {
    edAlbum->setEnabled(Enabled);
    edArtist->setEnabled(Enabled);
    edYear->setEnabled(Enabled);
    cboxGenre->setEnabled(Enabled);
}

int TfrmMain::CountCheckedRows() const {
    int n = 0;
    for (int i = 0; i < lvTracks->topLevelItemCount(); ++i)
        if (row(i)->checkState(0) == Qt::Checked) ++n;
    return n;
}

// ---- drives and disc ------------------------------------------------------------------------------

void TfrmMain::cboxDeviceClick() {
    if (m_driveCount <= 0 || m_rip->Running()) return;
    try {
        ACDG->SelectDrive(cboxDevice->currentIndex() + 1);
    } catch (const ComponentError&) {
        return;
    }
    m_lookupLoaded = false;
    m_keptTexts.valid = false;
    RefreshDisc();
}

void TfrmMain::btnRefreshClick() {
    cboxDeviceClick();
}

void TfrmMain::RefreshDisc() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    lbInfo2->setText(QStringLiteral("Refresh CD"));
    log(QStringLiteral("Refresh CD"));
    m_filling = true;
    lvTracks->clear();
    TrackKeys.clear();
    AlbumList.clear();
    ArtistList.clear();
    TitleList.clear();
    m_filling = false;
    EnableControls(false);
    edAlbum->clear();
    edArtist->clear();
    cboxGenre->setCurrentIndex(-1);
    cboxGenre->setEditText(QString());
    edYear->setText(thisYear());
    try {
        ACDG->RefreshMedia();
        if (ACDG->GetMediaState() == 0) {
            lbInfo1->setText(QStringLiteral("No disc"));
        } else if (ACDG->GetSessionCount() <= 0) {
            lbInfo1->setText(QStringLiteral("Empty disc"));
            QApplication::restoreOverrideCursor();
            BoxMessages().Tell(QStringLiteral("Disc is empty or drive not support this disc type!"), this);
            QApplication::setOverrideCursor(Qt::WaitCursor);
        } else if (ACDG->GetMediaState() == 2) {
            lbInfo1->setText(QStringLiteral("Unrecognized"));
        } else {
            log(QStringLiteral("CDDB ID: ") + QString::number(static_cast<uint32_t>(ACDG->GetCddbId())));
            const QString type = discTypeName(ACDG->GetDiscType());
            if (!type.isEmpty()) lbInfo1->setText(type);
            if (m_lookupRequested) {
                lbInfo2->setText(QStringLiteral("Query for FreeDB information"));
                log(QStringLiteral("Query for FreeDB information"));
                ACDG->QueryFreeDB(*FreeDBInfo, m_lookupMode);
            } else {
                FillTrackList();
                lbInfo2->clear();
            }
        }
    } catch (const std::exception& e) {
        log(QString::fromUtf8(e.what()));
    }
    EnableControls(true);
    QApplication::restoreOverrideCursor();
}

void TfrmMain::FillTrackList() {
    EnableControls(false);
    log(QStringLiteral("Refreshing track list view..."));
    if (m_lookupLoaded) {
        edAlbum->setText(ACDG->GetDiscAlbum());
        edArtist->setText(ACDG->GetDiscArtist());
        const QString genre = ACDG->GetDiscGenre();
        int index = -1;
        for (int i = 0; i < cboxGenre->count(); ++i)
            if (cboxGenre->itemText(i).trimmed().compare(genre.trimmed(), Qt::CaseInsensitive) == 0)
                index = i;
        cboxGenre->setCurrentIndex(index);
        if (index < 0) cboxGenre->setEditText(genre);
        edYear->setText(QString::number(ACDG->GetDiscYear()));
    } else {
        edAlbum->clear();
        edArtist->clear();
        cboxGenre->setCurrentIndex(-1);
        cboxGenre->setEditText(QString());
        edYear->setText(thisYear());
    }
    m_filling = true;
    lvTracks->clear();
    TrackKeys.clear();
    AlbumList.clear();
    ArtistList.clear();
    TitleList.clear();
    try {
        const int sessions = ACDG->GetSessionCount();
        for (int s = 0; s < sessions; ++s) {
            ACDG->SetSession(s);
            const int tracks = ACDG->GetTrackCount();
            for (int t = 0; t < tracks; ++t) {
                ACDG->SetTrack(t);
                AddTrackRow(s, t);
            }
        }
    } catch (const std::exception& e) {
        log(QString::fromUtf8(e.what()));
    }
    m_filling = false;
    if (lvTracks->topLevelItemCount() > 0) {
        lvTracks->setCurrentItem(row(0));
        lvTracksSelectItem();
        UncheckNonAudioRow();
    }
    EnableControls(true);
    lbInfo2->clear();
}

void TfrmMain::AddTrackRow(int session, int track) {
    // Every value is gathered before anything is added, so a failing call adds neither the row nor
    // any list entry, and the lists stay parallel to the rows.
    QStringList cells;
    QString title;
    try {
        const int type = ACDG->GetTrackType();
        if (type != 0) return;
        if (m_lookupLoaded) title = ACDG->GetTrackTitle();
        if (title.isEmpty()) title = QStringLiteral("Session%1_Track%2").arg(session + 1).arg(track + 1);
        cells = {RNaming::TwoDigitNumber(track + 1),
                 edArtist->text(),
                 title,
                 trackTypeName(type),
                 RNaming::TwoDigitNumber(ACDG->GetTrackMinutes()) + QLatin1Char(':') +
                     RNaming::TwoDigitNumber(ACDG->GetTrackSeconds()) + QLatin1Char(':') +
                     RNaming::TwoDigitNumber(ACDG->GetTrackFrames()),
                 QStringLiteral("0%")};
    } catch (const std::exception& e) {
        log(QString::fromUtf8(e.what()));
        return;
    }
    auto* item = new QTreeWidgetItem(cells);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(0, Qt::Checked);
    item->setTextAlignment(ColType, Qt::AlignHCenter | Qt::AlignVCenter);
    item->setTextAlignment(ColPercent, Qt::AlignRight | Qt::AlignVCenter);
    lvTracks->addTopLevelItem(item);
    TrackKeys << QStringLiteral("%1,%2,").arg(session).arg(track);
    AlbumList << edAlbum->text();
    ArtistList << edArtist->text();
    TitleList << title;
}

void TfrmMain::UncheckNonAudioRow() {
    const int r = selectedRow();
    if (r < 0) return;
    try {
        ACDG->SetSession(RNaming::FieldOfList(TrackKeys[r], 1).toInt());
        ACDG->SetTrack(RNaming::FieldOfList(TrackKeys[r], 2).toInt());
        if (row(r)->checkState(0) == Qt::Checked && ACDG->GetTrackType() != 0)
            row(r)->setCheckState(0, Qt::Unchecked);
    } catch (const std::exception&) {
        // A track whose type cannot be read keeps its check; the rip tells of a track it cannot read.
    }
}

void TfrmMain::lvTracksSelectItem() {
    if (m_rip->Busy() && !m_rip->Running()) return;
    const int r = selectedRow();
    if (r < 0 || r >= TitleList.size()) {
        m_previewSession = m_previewTrack = -1;
        EnableTagEdits(false);
        return;
    }
    m_previewSession = RNaming::FieldOfList(TrackKeys[r], 1).toInt();
    m_previewTrack = RNaming::FieldOfList(TrackKeys[r], 2).toInt();
    m_filling = true;
    edAlbum->setText(AlbumList[r]);
    edArtist->setText(ArtistList[r]);
    edTitle->setText(TitleList[r]);
    m_filling = false;
    EnableTagEdits(true);
}

void TfrmMain::edAlbumChange() {
    const int r = selectedRow();
    if (m_filling || r < 0 || r >= AlbumList.size()) return;
    AlbumList[r] = edAlbum->text();
}

void TfrmMain::edArtistChange() {
    const int r = selectedRow();
    if (m_filling || r < 0 || r >= ArtistList.size()) return;
    row(r)->setText(ColArtist, edArtist->text());
    ArtistList[r] = edArtist->text();
}

void TfrmMain::edTitleChange() {
    const int r = selectedRow();
    if (m_filling || r < 0 || r >= TitleList.size()) return;
    row(r)->setText(ColTitle, edTitle->text());
    TitleList[r] = edTitle->text();
}

void TfrmMain::btnSelectAllClick() {
    for (int i = 0; i < lvTracks->topLevelItemCount(); ++i)
        row(i)->setCheckState(0, Qt::Checked);
}

void TfrmMain::btnSelectNoneClick() {
    for (int i = 0; i < lvTracks->topLevelItemCount(); ++i)
        row(i)->setCheckState(0, Qt::Unchecked);
}

void TfrmMain::btnInvertClick() {
    for (int i = 0; i < lvTracks->topLevelItemCount(); ++i)
        row(i)->setCheckState(0, row(i)->checkState(0) == Qt::Checked ? Qt::Unchecked : Qt::Checked);
}

// ---- title lookup ---------------------------------------------------------------------------------

void TfrmMain::btnGetInfoClick() {
    if (m_previewing || m_lookupRequested || m_rip->Running()) return;
    if (!BoxMessages().Ask(QStringLiteral("Do you want refresh this CD information?"), this)) return;
    KeepTextsForLookup();
    m_lookupRequested = true;
    m_lookupLoaded = false;
    m_scrollRight = true;
    tmFreeDB->start();
    RefreshDisc();
    m_lookupRequested = false;
}

void TfrmMain::ACDGFreeDBQueryStatus(int Status) {
    if (m_rip->Running()) {
        // The track list stays as the rip started with it; the result is applied when it ends.
        if (Status == 3 || Status == -1 || Status == -2) m_pendingLookupStatus = Status;
        return;
    }
    switch (Status) {
    case 1:
        EnableControls(false);
        lbInfo2->setText(QStringLiteral("Connecting to FreeDB server, please wait..."));
        break;
    case 2:
        EnableControls(false);
        lbInfo2->setText(QStringLiteral("Quering for album entry..."));
        break;
    case 3:
        EnableControls(true);
        lbInfo2->setText(QStringLiteral("FreeDB information loaded"));
        m_lookupLoaded = true;
        m_keptTexts.valid = false;
        EndLookup();
        break;
    case -2:
        EnableControls(true);
        m_lookupLoaded = false;
        EndLookup();
        PutBackKeptTexts();
        BoxMessages().Tell(QStringLiteral("No FreeDB information available for this CD!"), this);
        break;
    case -1: {
        EnableControls(true);
        m_lookupLoaded = false;
        EndLookup();
        PutBackKeptTexts();
        const QString why = ACDG->lookupFailure().reason;
        BoxMessages().Tell(why.isEmpty() ? QStringLiteral("Connection failed!")
                                         : QStringLiteral("Connection failed!\n") + why,
                           this);
        break;
    }
    default:
        break;
    }
}

void TfrmMain::EndLookup() {
    EnableControls(true);
    FillTrackList();
    lbInfo2->clear();
    tmFreeDB->stop();
}

void TfrmMain::KeepTextsForLookup() {
    TKeptTexts& kept = m_keptTexts;
    kept = TKeptTexts();
    try {
        kept.discId = ACDG->GetCddbId();
    } catch (const std::exception&) {
        return;
    }
    kept.keys = TrackKeys;
    kept.albums = AlbumList;
    kept.artists = ArtistList;
    kept.titles = TitleList;
    for (int i = 0; i < lvTracks->topLevelItemCount(); ++i)
        kept.checks << row(i)->checkState(0);
    kept.year = edYear->text();
    kept.genreIndex = cboxGenre->currentIndex();
    kept.genre = cboxGenre->currentText();
    kept.valid = !kept.keys.isEmpty();
}

// Only onto the same disc with the same rows: the list was filled again with default titles.
void TfrmMain::PutBackKeptTexts() {
    TKeptTexts kept = std::move(m_keptTexts);
    m_keptTexts = TKeptTexts();
    if (!kept.valid || kept.keys != TrackKeys || kept.checks.size() != lvTracks->topLevelItemCount()) return;
    try {
        if (ACDG->GetCddbId() != kept.discId) return;
    } catch (const std::exception&) {
        return;
    }
    AlbumList = kept.albums;
    ArtistList = kept.artists;
    TitleList = kept.titles;
    for (int i = 0; i < lvTracks->topLevelItemCount(); ++i) {
        row(i)->setText(ColArtist, ArtistList[i]);
        row(i)->setText(ColTitle, TitleList[i]);
        row(i)->setCheckState(0, kept.checks[i]);
    }
    edYear->setText(kept.year);
    cboxGenre->setCurrentIndex(kept.genreIndex);
    if (kept.genreIndex < 0 || cboxGenre->currentText() != kept.genre) cboxGenre->setEditText(kept.genre);
    lvTracksSelectItem(); // the edits show the selected row's texts again
}

void TfrmMain::tmFreeDBTimer() {
    if (m_scrollRight) {
        lbInfo2->move(lbInfo2->x() + 1, lbInfo2->y());
        if (lbInfo2->x() > 400) m_scrollRight = false;
    } else {
        lbInfo2->move(lbInfo2->x() - 1, lbInfo2->y());
        if (lbInfo2->x() < 354) m_scrollRight = true;
    }
}

void TfrmMain::ACDGMediaChange() {
    if (m_rip->Running()) {
        m_pendingMediaChange = true;
        return;
    }
    try {
        log(ACDG->GetMediaState() != 0 ? QStringLiteral("Insert disc") : QStringLiteral("Eject disc"));
    } catch (const std::exception&) {
        // Only the log line is lost: the refresh below reads the drive again and says what it finds.
    }
    m_lookupRequested = false;
    m_keptTexts.valid = false;
    RefreshDisc();
    m_lookupLoaded = false;
}

void TfrmMain::applyDeferred() {
    const bool media = m_pendingMediaChange;
    const int status = m_pendingLookupStatus;
    m_pendingMediaChange = false;
    m_pendingLookupStatus = 0;
    if (media)
        ACDGMediaChange();
    else if (status != 0)
        ACDGFreeDBQueryStatus(status);
}

// ---- buttons --------------------------------------------------------------------------------------

void TfrmMain::cboxROutputFormatClick() {
    RipFormat = cboxROutputFormat->currentIndex() + 1;
}

void TfrmMain::cboxPriorityChange() {
    try {
        ACDG->SetGrabMode(cboxPriority->currentIndex() + 1);
    } catch (const ComponentError&) {
        // The rip sets the chosen mode again at its start, where a failure is told.
    }
}

void TfrmMain::cboxLockTrayClick() {
    try {
        if (cboxLockTray->Checked())
            ACDG->LockTray();
        else
            ACDG->UnlockTray();
    } catch (const ComponentError&) {
        // A drive without a tray lock (or a disc image) keeps its tray as it is; nothing is lost.
    }
}

void TfrmMain::tmEjectTimer() {
    tmEject->stop();
    try {
        ACDG->Eject();
    } catch (const ComponentError&) {
        // A drive that cannot eject keeps the disc; the rip has ended and nothing is lost.
    }
}

void TfrmMain::btnFolderClick() {
    ShellOpen(GlobeVar::OutputPath);
}

void TfrmMain::btnRecorderClick() {
    ShellOpen(GlobeVar::AppPath + QStringLiteral("Videzeva"));
}

void TfrmMain::btnHelpClick() {
    ShellOpen(GlobeVar::AppPath + QStringLiteral("Duzivuz3Help.html"));
}

void TfrmMain::btnOptionsClick() {
    if (m_options) m_options->ShowModal();
}

void TfrmMain::btnAboutClick() {
    if (m_about) m_about->ShowModal();
}

void TfrmMain::btnAppCloseClick() {
    close();
}

void TfrmMain::btnAppMinClick() {
    showMinimized();
}

void TfrmMain::btnPlayerClick() {
    if (m_player) m_player->ShowPlayer();
}

void TfrmMain::btnDeviceClick() {
    cboxDevice->showPopup();
}

void TfrmMain::btnGenreClick() {
    cboxGenre->showPopup();
}

void TfrmMain::btnOutputClick() {
    cboxROutputFormat->showPopup();
}

void TfrmMain::btnGrabModeClick() {
    cboxPriority->showPopup();
}

void TfrmMain::FocusToButton1() {
    Button1->setFocus();
}

// ---- volume ---------------------------------------------------------------------------------------

void TfrmMain::ChoosePlaybackLine() {
    try {
        const int count = AP->GetMixerLineCount();
        if (count <= 0) return;
        int chosen = 0;
        for (int i = 0; i < count; ++i) {
            AP->SelectMixerLine(i);
            if ((AP->IsPlaybackLine() & 0xFFFF) != 0) {
                chosen = i;
                break;
            }
        }
        AP->SelectMixerLine(chosen);
        tbarVolume->SetPosition(AP->GetVolume());
        AP->SetMute(0);
    } catch (const std::exception& e) {
        log(QString::fromUtf8(e.what()));
    }
}

void TfrmMain::tbarVolumeChange() {
    if (m_rip->Running() || !m_shown) return;
    AP->SetVolume(tbarVolume->Position());
    m_level.SetVolume(tbarVolume->Position());
}

void TfrmMain::ShowMainWindow() {
    if (isMinimized()) showNormal();
    show();
    raise();
    activateWindow();
}

void TfrmMain::cboxMuteMouseUp() {
    if (!m_shown) return;
    AP->SetMute(cboxMute->Checked() ? -1 : 0);
    m_level.SetMuted(cboxMute->Checked());
}

// ---- the preview ----------------------------------------------------------------------------------

void TfrmMain::btnPlayClick() {
    if (!m_rip->Running()) StartPreview();
}

void TfrmMain::btnStopClick() {
    if (!m_rip->Running()) StopPreview();
}

void TfrmMain::StartPreview() {
    try {
        if (m_previewSession >= 0 && m_previewTrack >= 0) {
            ACDG->SetSession(m_previewSession);
            ACDG->SetTrack(m_previewTrack);
        }
        if (((ACDG->GetSession() & 0x8000) != 0 && (ACDG->GetTrack() & 0x8000) != 0) || m_previewing) return;
        m_playedOffset = 0;
        m_seekBase = 0;
        m_lastPlayed = 0;
        m_previewing = true;
        m_seeking = false;
        btnPlay->setEnabled(false);
        btnStop->setEnabled(true);
        ACDG->SetGrabMode(0);
        ACDG->SetReadOptionB(0);
        ACDG->SetReadOptionC(0);
        ACDG->StartRead();
        m_totalSamples = qint64(ACDG->GetTrackBlocks()) * ACDG->GetBlockSize() / 4;
        AP->Play();
        if (AP->GetLastError() != TAudioPlayer2::NoError)
            throw ComponentError(QStringLiteral("The playback device could not be opened."));
    } catch (const std::exception& e) {
        log(QString::fromUtf8(e.what()));
        StopPreview();
        ReportError(QStringLiteral("Error during start playing the track!"), this);
    }
}

void TfrmMain::FeedPreview() {
    // Fed also while the slider is held: the preview plays on until the seek is made.
    if (!m_previewing) return;
    try {
        AP->LoadArray(ACDG->ReadBlocks(26));
    } catch (const std::exception& e) {
        log(QString::fromUtf8(e.what()));
        if (!m_previewing) return;
        StopPreview();
        ReportError(QStringLiteral("Error during playing the track!"), this);
    }
}

void TfrmMain::StopPreview() {
    if (!m_previewing) return;
    m_previewing = false;
    m_seeking = false;
    try {
        AP->Stop();
        ACDG->StopRead();
    } catch (const std::exception& e) {
        log(QString::fromUtf8(e.what()));
        ReportError(QStringLiteral("Error during stop playing the track!"), this);
    }
    btnPlay->setEnabled(true);
    btnStop->setEnabled(false);
    tbarPlayProgress->SetPosition(0);
}

void TfrmMain::APRequestOnLoadArray() {
    FeedPreview();
}

void TfrmMain::APEndArrayPlay() {
    FeedPreview();
}

void TfrmMain::APEndPlay() {
    StopPreview();
}

void TfrmMain::APTimer(int CurrentSamples, int LevelLeft, int LevelRight) {
    m_lastPlayed = std::max({CurrentSamples, LevelLeft, LevelRight});
    if (m_seeking || !m_previewing) return;
    qint64 position = 0;
    // A report made before the last seek (still queued then) counts as the seek point.
    if (m_totalSamples > 0)
        position = (std::max<qint64>(m_lastPlayed - m_seekBase, 0) + m_playedOffset) * 1000 / m_totalSamples;
    tbarPlayProgress->SetPosition(int(std::clamp<qint64>(position, 0, 1000)));
}

void TfrmMain::tbarPlayProgressMouseDown() {
    if (!m_rip->Running()) m_seeking = true;
}

void TfrmMain::tbarPlayProgressMouseUp() {
    if (m_rip->Running()) return;
    if (!m_previewing) {
        m_seeking = false;
        return;
    }
    try {
        AP->ClearQueue();
        const qint64 blocks = ACDG->GetTrackBlocks();
        const int block = int(blocks * tbarPlayProgress->Position() / 1000);
        ACDG->SeekBlock(block, 1);
        m_playedOffset = qint64(block) * ACDG->GetBlockSize() / 4;
        // The player counts from its start; the position counts from the seek point on.
        m_seekBase = AP->GetPlayedSamples();
        m_seeking = false;
        FeedPreview();
        FeedPreview();
    } catch (const std::exception& e) {
        log(QString::fromUtf8(e.what()));
        ReportError(QStringLiteral("Error during seeking the track!"), this);
        StopPreview();
    }
}

// ---- the rip --------------------------------------------------------------------------------------

void TfrmMain::btnExtractClick() {
    const int runTotal = CountCheckedRows();
    if (runTotal == 0) {
        BoxMessages().Tell(QStringLiteral("Please select track(s) first."), this);
        return;
    }
    if (m_rip->Running()) return;
    // The rip reads the disc alone.
    StopPreview();
    EnableControls(false);
    if (m_progress) m_progress->show();
    try {
        if (cboxLockTray->Checked())
            ACDG->LockTray();
        else
            ACDG->UnlockTray();
    } catch (const ComponentError&) {
        // As at the lock box: a tray that cannot be locked stays as it is, and the rip goes on.
    }
    std::vector<int> rows;
    for (int i = 0; i < lvTracks->topLevelItemCount(); ++i)
        if (row(i)->checkState(0) == Qt::Checked) rows.push_back(i);
    // Returns at once; the job's events carry the rip on and RipEnded ends it.
    m_rip->Start(rows, runTotal, RipFormat, cboxPriority->currentIndex() + 1);
}

TRipTrack TfrmMain::RipTrackStarting(int r) {
    lvTracks->setCurrentItem(row(r));
    lvTracksSelectItem();
    TRipTrack track;
    track.session = RNaming::FieldOfList(TrackKeys[r], 1).toInt();
    track.track = RNaming::FieldOfList(TrackKeys[r], 2).toInt();
    track.number = row(r)->text(ColNumber);
    track.title = row(r)->text(ColTitle);
    track.album = AlbumList[r];
    track.artist = ArtistList[r];
    return track;
}

TRipTags TfrmMain::RipTags(int r) {
    TRipTags tags;
    if (r < 0 || r >= TitleList.size()) return tags;
    tags.album = AlbumList[r];
    tags.artist = ArtistList[r];
    tags.title = TitleList[r];
    // A year that is not a number gives no year tag.
    bool isNumber = false;
    const int year = edYear->text().trimmed().toInt(&isNumber);
    tags.year = isNumber && year > 0 ? year : 0;
    // A typed or looked-up genre text that is not a list item selects none.
    tags.genre = cboxGenre->currentIndex() >= 0 &&
                         cboxGenre->itemText(cboxGenre->currentIndex()) == cboxGenre->currentText()
                     ? cboxGenre->currentIndex()
                     : -1;
    return tags;
}

void TfrmMain::RipRowText(int r, const QString& text, const QString& why) {
    if (QTreeWidgetItem* item = row(r)) {
        item->setText(ColPercent, text);
        item->setToolTip(ColPercent, why);
    }
}

void TfrmMain::RipLog(const QString& line) {
    log(line);
}

void TfrmMain::RipTotal(int percent) {
    lbInfo2->setText(QStringLiteral("Complete: %1%").arg(percent));
}

void TfrmMain::RipProgress(int trackDone, int trackSpeed, int totalDone, int totalSpeed) {
    if (m_progress) m_progress->ShowProgress(trackDone, trackSpeed, totalDone, totalSpeed);
}

void TfrmMain::RipLastTrackDone() {
    if (m_progress && m_progress->isVisible()) {
        m_progress->SetFinished(true);
        m_progress->close();
    }
}

void TfrmMain::RipMessage(const QString& text) {
    BoxMessages().Tell(text, this);
}

void TfrmMain::RipEnded() {
    EnableControls(true);
    lbInfo2->clear();
    applyDeferred();
    if (cboxAutoEject->Checked()) tmEject->start();
}

void TfrmMain::CancelRip() {
    if (!m_rip->Running()) return;
    lbInfo2->setText(QStringLiteral("Canceling...") + QString::number(GetTickCount()));
    btnExtract->setEnabled(false);
    m_rip->Cancel();
}

// ---- settings -------------------------------------------------------------------------------------

void ApplyRSettings(const TRSettings& s) {
    RGlobeVar::ROutPutPath = s.ROutPutPath;
    RGlobeVar::ROutputFilename = s.ROutputFilename;
    RGlobeVar::RUseAll = s.RUseAll;
    RGlobeVar::RComments = s.RComments;
    RGlobeVar::RCopyRight = s.RCopyRight;
    RGlobeVar::RUrl = s.RUrl;
    RGlobeVar::REncodeBy = s.REncodeBy;
}

namespace {

const QString kRSettings = QStringLiteral("RSettings");

int readIndex(const ProfileText& file, const QString& key, int def, int low, int high) {
    const int value = file.readInteger(kRSettings, key, def);
    return value >= low && value <= high ? value : def;
}

} // namespace

TRSettings ReadRSettings(const ProfileText& file) {
    TRSettings s;
    s.ROutPutPath = file.readString(kRSettings, QStringLiteral("ROutPutPath"), QString());
    if (s.ROutPutPath.isEmpty()) s.ROutPutPath = GlobeVar::AppPath;
    s.ROutputFilename = readIndex(file, QStringLiteral("ROutputFilename"), 1, 0, 13);
    s.ROutputFormat = readIndex(file, QStringLiteral("ROutputFormat"), 1, 1, 4);
    s.RUseAll = file.readBool(kRSettings, QStringLiteral("RUseAll"), true);
    s.RComments = file.readString(kRSettings, QStringLiteral("RComments"), QString());
    s.RCopyRight = file.readString(kRSettings, QStringLiteral("RCopyRight"), QString());
    s.RUrl = file.readString(kRSettings, QStringLiteral("RUrl"), QString());
    s.REncodeBy = file.readString(kRSettings, QStringLiteral("REncodeBy"), QString());
    return s;
}

bool WriteRSettings(ProfileText& file, const TRSettings& s) {
    try {
        file.writeString(kRSettings, QStringLiteral("ROutPutPath"),
                         s.ROutPutPath.isEmpty() ? GlobeVar::AppPath : s.ROutPutPath);
        file.writeInteger(kRSettings, QStringLiteral("ROutputFilename"), s.ROutputFilename);
        file.writeInteger(kRSettings, QStringLiteral("ROutputFormat"), s.ROutputFormat);
        file.writeBool(kRSettings, QStringLiteral("RUseAll"), s.RUseAll);
        file.writeString(kRSettings, QStringLiteral("RComments"), s.RComments);
        file.writeString(kRSettings, QStringLiteral("RCopyRight"), s.RCopyRight);
        file.writeString(kRSettings, QStringLiteral("RUrl"), s.RUrl);
        file.writeString(kRSettings, QStringLiteral("REncodeBy"), s.REncodeBy);
    } catch (const ProfileWriteError&) {
        return false;
    }
    return true;
}

} // namespace Duzivuz
