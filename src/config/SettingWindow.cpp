#include "config/SettingWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>
#include <algorithm>
#include <utility>

#include "config/FormWidgets.h"
#include "core/TextUtil.h"

namespace tp {

QString QtFileFilter(const QString& filter) {
  // "Name|*.a;*.b|Other|*.c" becomes "Name (*.a *.b);;Other (*.c)".
  QStringList parts = filter.split('|');
  QStringList out;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    QString patterns = parts[i + 1];
    patterns.replace(';', ' ');
    out << parts[i] + " (" + patterns + ")";
  }
  return out.join(";;");
}

// ---- TUpDown

TUpDown::TUpDown(QLineEdit* associate, QWidget* parent) : QWidget(parent), associate_(associate) {
  up_ = new QToolButton(this);
  down_ = new QToolButton(this);
  up_->setArrowType(Qt::UpArrow);
  down_->setArrowType(Qt::DownArrow);
  up_->setAutoRepeat(true);
  down_->setAutoRepeat(true);
  QRect r = associate->geometry();
  setGeometry(r.right() + 1, r.top(), 16, r.height());
  up_->setGeometry(0, 0, 16, r.height() / 2);
  down_->setGeometry(0, r.height() / 2, 16, r.height() - r.height() / 2);
  connect(up_, &QToolButton::clicked, this, [this] { Step(1); });
  connect(down_, &QToolButton::clicked, this, [this] { Step(-1); });
}

void TUpDown::SetRange(int min, int max) {
  min_ = min;
  max_ = std::max(min, max);
  SetPosition(position_);
}

void TUpDown::SetPosition(int position) {
  position_ = std::clamp(position, min_, max_);
  associate_->setText(QString::number(position_));
}

void TUpDown::Step(int delta) {
  // The edit's text counts, as the user may have typed into it.
  bool ok = false;
  int now = associate_->text().trimmed().toInt(&ok);
  SetPosition((ok ? now : position_) + delta);
}

// ---- TfmSettingWindow

namespace {

QLabel* MakeLabel(QWidget* parent, const char* text, int x, int y) {
  auto* l = new QLabel(QString::fromUtf8(text), parent);
  l->move(x, y);
  l->adjustSize();
  return l;
}

QCheckBox* MakeCheck(QWidget* parent, const char* text, int x, int y) {
  auto* c = new QCheckBox(QString::fromUtf8(text), parent);
  c->move(x, y);
  c->adjustSize();
  return c;
}

QComboBox* MakeList(QWidget* parent, int x, int y, int width, const QStringList& items) {
  auto* c = new QComboBox(parent);
  c->setEditable(false);
  c->addItems(items);
  c->setGeometry(x, y, width, 21);
  return c;
}

}  // namespace

TfmSettingWindow::TfmSettingWindow(QWidget* parent) : QDialog(parent) {
  setObjectName("fmSettingWindow");
  setWindowTitle("Settings");
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  QFont f("Tahoma");
  f.setPixelSize(11);  // 8 pt at 96 pixels per inch
  setFont(f);
  setFixedSize(364, 297);

  PageControl1 = new QTabWidget(this);
  PageControl1->setGeometry(8, 8, 345, 249);
  TabSheet1 = new QWidget();
  TabSheet2 = new QWidget();
  PageControl1->addTab(TabSheet1, "Display Mode");
  PageControl1->addTab(TabSheet2, "Background Music");

  QWidget* p1 = TabSheet1;
  cbMusic = MakeCheck(p1, "Enable Music", 29, 14);
  cbSound = MakeCheck(p1, "Enable Sound Effects", 142, 14);
  cbDirectX = MakeCheck(p1, "Use DirectX (Faster Animation)", 29, 40);
  lblImgQuality = MakeLabel(p1, "Direct X Quality", 29, 69);
  cbImageQuality = MakeList(p1, 141, 67, 154, {"Highest (Slower)", "Normal ", "Low (Faster)"});
  cbImageQuality->setCurrentIndex(1);
  Label5 = MakeLabel(p1, "Image Size", 29, 101);
  cbImageSize = MakeList(p1, 141, 97, 154, {"Original Size", "Stretch-Full", "Stretch-Proportional"});
  Label6 = MakeLabel(p1, "Show Image", 30, 132);
  cbShowImageMode = MakeList(p1, 141, 127, 154,
                             {"All images - Random", "All images - Sequential",
                              "User's favorite (checked images) - Random", "Single - Selected Image"});
  lblDuration = MakeLabel(p1, "Image Duration", 30, 160);
  txtDuration = new QLineEdit(p1);
  txtDuration->setGeometry(140, 157, 27, 21);
  txtDuration->setMaxLength(3);
  txtDuration->setText("10");
  UpDown1 = new TUpDown(txtDuration, p1);
  UpDown1->SetRange(10, 999);
  UpDown1->SetPosition(10);
  lblSec = MakeLabel(p1, "seconds", 196, 160);
  Label8 = MakeLabel(p1, "Animation Speed", 30, 190);
  tbSpeed = new QSlider(Qt::Horizontal, p1);
  tbSpeed->setGeometry(136, 189, 162, 25);
  tbSpeed->setRange(0, 20);
  tbSpeed->setValue(10);
  tbSpeed->setTickPosition(QSlider::NoTicks);

  QWidget* p2 = TabSheet2;
  cbCustomMusic = MakeCheck(p2, "Use Custom Music", 7, 7);
  cbShuffleMusic = MakeCheck(p2, "Shuffle Playlist", 137, 7);
  lstMusic = new QTableWidget(0, 1, p2);
  lstMusic->setGeometry(7, 32, 324, 157);
  lstMusic->setHorizontalHeaderLabels({"File"});
  lstMusic->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
  lstMusic->verticalHeader()->setVisible(false);
  lstMusic->setShowGrid(true);
  lstMusic->setEditTriggers(QAbstractItemView::NoEditTriggers);
  lstMusic->setSelectionBehavior(QAbstractItemView::SelectRows);
  lstMusic->setSelectionMode(QAbstractItemView::SingleSelection);
  Button3 = new QPushButton("Add", p2);
  Button3->setGeometry(8, 195, 40, 23);
  Button4 = new QPushButton("Remove", p2);
  Button4->setGeometry(50, 195, 60, 23);

  Button1 = new QPushButton("OK", this);
  Button1->setGeometry(198, 264, 75, 25);
  Button1->setDefault(true);
  Button2 = new QPushButton("Cancel", this);
  Button2->setGeometry(278, 264, 75, 25);

  // Below the client area, so never seen; still filled and read.
  cbTransition = MakeCheck(this, "Enable Transition", 22, 341);
  cbTransition->setChecked(true);
  GroupBox1 = new QGroupBox("Play Mode", this);
  GroupBox1->setGeometry(13, 334, 200, 50);
  Label3 = new FormLabel(GroupBox1);
  Label3->setObjectName("Label3");
  QFont link = font();
  link.setUnderline(true);
  Label3->setFont(link);
  Label3->SetFontColor(QColor(0, 0, 255));
  Label3->SetCaption("Reset");
  Label3->move(10, 20);
  Label3->setCursor(Qt::PointingHandCursor);

  // Every control answers to its name (scripts and tests find them so).
  const std::pair<QObject*, const char*> names[] = {
      {PageControl1, "PageControl1"}, {TabSheet1, "TabSheet1"}, {TabSheet2, "TabSheet2"},
      {cbMusic, "cbMusic"}, {cbSound, "cbSound"}, {cbDirectX, "cbDirectX"},
      {lblImgQuality, "lblImgQuality"}, {cbImageQuality, "cbImageQuality"}, {Label5, "Label5"},
      {cbImageSize, "cbImageSize"}, {Label6, "Label6"}, {cbShowImageMode, "cbShowImageMode"},
      {lblDuration, "lblDuration"}, {txtDuration, "txtDuration"}, {UpDown1, "UpDown1"},
      {lblSec, "lblSec"}, {Label8, "Label8"}, {tbSpeed, "tbSpeed"}, {cbCustomMusic, "cbCustomMusic"},
      {cbShuffleMusic, "cbShuffleMusic"}, {lstMusic, "lstMusic"}, {Button3, "Button3"},
      {Button4, "Button4"}, {Button1, "Button1"}, {Button2, "Button2"}, {cbTransition, "cbTransition"},
      {GroupBox1, "GroupBox1"}};
  for (const auto& [object, name] : names) object->setObjectName(name);

  connect(Button1, &QPushButton::clicked, this, [this] {
    Button1Click();
    accept();
  });
  connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
  connect(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
  connect(Button4, &QPushButton::clicked, this, [this] { Button4Click(); });
  connect(Label3, &FormLabel::clicked, this, [this] { Label3Click(); });
}

void TfmSettingWindow::SetValues(const UserSettingsValues& v) {
  // A stored value outside a list shows (and OK writes) the nearest entry.
  auto index = [](QComboBox* box, int i) { box->setCurrentIndex(std::clamp(i, 0, box->count() - 1)); };
  index(cbImageSize, v.ImageSize);
  index(cbShowImageMode, v.ImageMode);
  index(cbImageQuality, v.DirectXQuality);
  tbSpeed->setValue(std::clamp(v.Speed, 0, 20));
  UpDown1->SetPosition(v.Duration);  // held to the up-down's range of 10 to 999
  cbDirectX->setChecked(v.DirectX);
  cbSound->setChecked(v.Sound);
  cbMusic->setChecked(v.Music);
  cbTransition->setChecked(v.Transition);
  cbCustomMusic->setChecked(v.CustomMusic);
  cbShuffleMusic->setChecked(v.ShuffleMusic);
  MusicFiles.clear();
  for (const std::string& path : v.MusicList) MusicFiles << QString::fromStdString(path);
}

std::optional<UserSettingsValues> TfmSettingWindow::Values(std::string* conversionError) const {
  UserSettingsValues v;
  QString durationText = txtDuration->text();
  auto duration = ParseInt32(TrimView(durationText.toStdString()));
  if (!duration) {
    if (conversionError) {
      std::string message(1, '\'');
      message.append(durationText.toStdString()).append("' is not a valid integer value");
      *conversionError = std::move(message);
    }
    return std::nullopt;
  }
  v.ImageSize = cbImageSize->currentIndex();
  v.ImageMode = cbShowImageMode->currentIndex();
  v.MusicList.clear();
  for (const QString& path : MusicFiles) v.MusicList.push_back(path.toStdString());
  v.ShuffleMusic = cbShuffleMusic->isChecked();
  v.CustomMusic = cbCustomMusic->isChecked();
  v.DirectX = cbDirectX->isChecked();
  v.Transition = cbTransition->isChecked();
  v.Music = cbMusic->isChecked();
  v.Sound = cbSound->isChecked();
  v.DirectXQuality = cbImageQuality->currentIndex();
  v.Duration = *duration;
  v.Speed = tbSpeed->value();
  return v;
}

void TfmSettingWindow::SetOkEnabled(bool on) { Button1->setEnabled(on); }

void TfmSettingWindow::showEvent(QShowEvent* e) {
  QDialog::showEvent(e);
  if (!shown_) {
    shown_ = true;
    if (QScreen* s = screen()) move(s->availableGeometry().center() - rect().center());
    FormShow();
  }
}

void TfmSettingWindow::AddMusicRow(const QString& path) {
  int row = lstMusic->rowCount();
  lstMusic->insertRow(row);
  lstMusic->setItem(row, 0, new QTableWidgetItem(path));
}

void TfmSettingWindow::FormShow() {
  for (const QString& path : MusicFiles) AddMusicRow(path);
}

void TfmSettingWindow::Button1Click() {
  MusicFiles.clear();
  for (int row = 0; row < lstMusic->rowCount(); ++row)
    if (QTableWidgetItem* item = lstMusic->item(row, 0)) MusicFiles << item->text();
}

void TfmSettingWindow::Button3Click() {
  if (!chooseFile) return;
  QString path = chooseFile(this);
  if (!path.isEmpty()) AddMusicRow(path);
}

void TfmSettingWindow::Button4Click() {
  QList<QTableWidgetItem*> selected = lstMusic->selectedItems();
  if (selected.isEmpty()) return;
  lstMusic->removeRow(selected.front()->row());
}

void TfmSettingWindow::Label3Click() { tbSpeed->setValue(10); }

}  // namespace tp
