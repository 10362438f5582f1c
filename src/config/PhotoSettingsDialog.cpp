#include "config/PhotoSettingsDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>
#include <iterator>

namespace tp {
namespace {

const DeckOrder kOrders[] = {DeckOrder::Shuffle, DeckOrder::Name, DeckOrder::Date, DeckOrder::Newest};
const char* const kOrderCaptions[] = {"Shuffled, every picture once before any repeats", "By name",
                                      "By date taken, oldest first", "By date taken, newest first"};

const PhotoFill kFills[] = {PhotoFill::Blur, PhotoFill::Bars, PhotoFill::Crop};
const char* const kFillCaptions[] = {"The picture itself, blurred", "Black bars",
                                     "Crop to fill the screen"};

const PhotoMotion kMotions[] = {PhotoMotion::Off, PhotoMotion::Gentle, PhotoMotion::Strong};
const char* const kMotionCaptions[] = {"None: each picture stands still", "Gentle pan and zoom",
                                       "Strong pan and zoom"};

const PhotoCaptions kCaptions[] = {PhotoCaptions::Off, PhotoCaptions::Date, PhotoCaptions::DateAndFolder};
const char* const kCaptionsCaptions[] = {"None", "The date taken", "The date taken and the folder"};

}  // namespace

TPhotoSettingsDialog::TPhotoSettingsDialog(QWidget* parent) : QDialog(parent) {
  setObjectName("fmPhotoSettings");
  setWindowTitle("Tidepool Photos Settings");
  chooseFolder = [](QWidget* owner) {
    return QFileDialog::getExistingDirectory(owner, QStringLiteral("Add a folder of pictures"));
  };
  chooseMusic = [](QWidget* owner) {
    return QFileDialog::getOpenFileName(owner, QStringLiteral("Choose music"), QString(),
                                        QStringLiteral("Sound files (*.mp3 *.ogg *.opus *.flac *.wav *.mid);;All files (*)"));
  };

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel("Pictures from these folders and their subfolders:", this));
  auto* folderRow = new QHBoxLayout();
  folderList = new QListWidget(this);
  folderList->setObjectName("folderList");
  folderRow->addWidget(folderList, 1);
  auto* folderButtons = new QVBoxLayout();
  addFolder = new QPushButton("Add...", this);
  addFolder->setObjectName("addFolder");
  removeFolder = new QPushButton("Remove", this);
  removeFolder->setObjectName("removeFolder");
  folderButtons->addWidget(addFolder);
  folderButtons->addWidget(removeFolder);
  folderButtons->addStretch(1);
  folderRow->addLayout(folderButtons);
  layout->addLayout(folderRow);
  layout->addWidget(new QLabel("With no folder here, the show uses your pictures folder.", this));

  auto* form = new QFormLayout();
  duration = new QSpinBox(this);
  duration->setObjectName("duration");
  duration->setRange(kMinDurationSeconds, kMaxDurationSeconds);
  duration->setSuffix(" s");
  form->addRow("Each picture stays", duration);
  order = new QComboBox(this);
  order->setObjectName("order");
  for (const char* caption : kOrderCaptions) order->addItem(caption);
  form->addRow("Order", order);
  transitions = new QComboBox(this);
  transitions->setObjectName("transitions");
  transitions->setEditable(true);
  transitions->addItems({"fade", "all"});
  transitions->setToolTip("fade, all, or effect numbers such as 1,5-9");
  form->addRow("Transitions", transitions);
  transitionTime = new QSpinBox(this);
  transitionTime->setObjectName("transitionTime");
  transitionTime->setRange(0, kMaxTransitionMs);
  transitionTime->setSingleStep(250);
  transitionTime->setSuffix(" ms");
  form->addRow("Transition length", transitionTime);
  fill = new QComboBox(this);
  fill->setObjectName("fill");
  for (const char* caption : kFillCaptions) fill->addItem(caption);
  form->addRow("Around pictures of another shape", fill);
  cropLimit = new QSpinBox(this);
  cropLimit->setObjectName("cropLimit");
  cropLimit->setRange(0, kMaxCropLimitPercent);
  cropLimit->setSuffix(" %");
  cropLimit->setToolTip("A picture that would lose more than this gets the blurred fill");
  form->addRow("Crop at most", cropLimit);
  motion = new QComboBox(this);
  motion->setObjectName("motion");
  for (const char* caption : kMotionCaptions) motion->addItem(caption);
  form->addRow("Motion", motion);
  captions = new QComboBox(this);
  captions->setObjectName("captions");
  for (const char* caption : kCaptionsCaptions) captions->addItem(caption);
  captions->setToolTip("Written in a lower corner of each picture");
  form->addRow("Captions", captions);
  pairs = new QCheckBox("Two portrait pictures side by side", this);
  pairs->setObjectName("pairs");
  pairs->setToolTip("On a landscape screen, two portrait pictures that come next share it");
  form->addRow(QString(), pairs);
  auto* musicRow = new QHBoxLayout();
  music = new QLineEdit(this);
  music->setObjectName("music");
  music->setPlaceholderText("none");
  chooseMusicButton = new QPushButton("Choose...", this);
  chooseMusicButton->setObjectName("chooseMusic");
  musicRow->addWidget(music, 1);
  musicRow->addWidget(chooseMusicButton);
  form->addRow("Music (a file or a folder)", musicRow);
  musicShuffle = new QCheckBox("Shuffle a folder's tracks", this);
  musicShuffle->setObjectName("musicShuffle");
  form->addRow(QString(), musicShuffle);
  layout->addLayout(form);

  auto* buttons = new QHBoxLayout();
  buttons->addStretch(1);
  okButton = new QPushButton("OK", this);
  okButton->setObjectName("okButton");
  okButton->setDefault(true);
  cancelButton = new QPushButton("Cancel", this);
  cancelButton->setObjectName("cancelButton");
  buttons->addWidget(okButton);
  buttons->addWidget(cancelButton);
  layout->addLayout(buttons);

  connect(addFolder, &QPushButton::clicked, this, [this] { AddFolderClick(); });
  connect(removeFolder, &QPushButton::clicked, this, [this] { RemoveFolderClick(); });
  connect(chooseMusicButton, &QPushButton::clicked, this, [this] { ChooseMusicClick(); });
  connect(okButton, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
  SetValues(PhotoSettings());
}

void TPhotoSettingsDialog::SetValues(const PhotoSettings& s) {
  base_ = s;
  folderList->clear();
  for (const std::string& f : s.folders) folderList->addItem(QString::fromStdString(f));
  duration->setValue(s.durationSeconds);
  for (int i = 0; i < int(std::size(kOrders)); ++i)
    if (kOrders[i] == s.order) order->setCurrentIndex(i);
  transitions->setCurrentText(QString::fromStdString(s.transitions));
  transitionTime->setValue(s.transitionMs);
  for (int i = 0; i < int(std::size(kFills)); ++i)
    if (kFills[i] == s.fill) fill->setCurrentIndex(i);
  cropLimit->setValue(s.cropLimitPercent);
  for (int i = 0; i < int(std::size(kMotions)); ++i)
    if (kMotions[i] == s.motion) motion->setCurrentIndex(i);
  for (int i = 0; i < int(std::size(kCaptions)); ++i)
    if (kCaptions[i] == s.captions) captions->setCurrentIndex(i);
  pairs->setChecked(s.pairs);
  music->setText(QString::fromStdString(s.music));
  musicShuffle->setChecked(s.musicShuffle);
}

PhotoSettings TPhotoSettingsDialog::Values() const {
  PhotoSettings s = base_;
  s.folders.clear();
  for (int i = 0; i < folderList->count() && s.folders.size() < kMaxSettingsFolders; ++i) {
    const std::string f = folderList->item(i)->text().toStdString();
    if (!f.empty()) s.folders.push_back(f);
  }
  s.durationSeconds = duration->value();
  s.order = kOrders[std::clamp(order->currentIndex(), 0, int(std::size(kOrders)) - 1)];
  const std::string t = transitions->currentText().trimmed().toStdString();
  if (!TransitionEffectsOf(t).empty()) s.transitions = t;  // an unreadable list keeps the old one
  s.transitionMs = transitionTime->value();
  s.fill = kFills[std::clamp(fill->currentIndex(), 0, int(std::size(kFills)) - 1)];
  s.cropLimitPercent = cropLimit->value();
  s.motion = kMotions[std::clamp(motion->currentIndex(), 0, int(std::size(kMotions)) - 1)];
  s.captions = kCaptions[std::clamp(captions->currentIndex(), 0, int(std::size(kCaptions)) - 1)];
  s.pairs = pairs->isChecked();
  s.music = music->text().trimmed().toStdString();
  s.musicShuffle = musicShuffle->isChecked();
  return s;
}

void TPhotoSettingsDialog::AddFolderClick() {
  const QString folder = chooseFolder ? chooseFolder(this) : QString();
  if (folder.isEmpty() || !folderList->findItems(folder, Qt::MatchExactly).isEmpty()) return;
  if (folderList->count() >= int(kMaxSettingsFolders)) return;
  folderList->addItem(folder);
  folderList->setCurrentRow(folderList->count() - 1);
}

void TPhotoSettingsDialog::RemoveFolderClick() {
  const int row = folderList->currentRow();
  if (row >= 0) delete folderList->takeItem(row);
}

void TPhotoSettingsDialog::ChooseMusicClick() {
  const QString chosen = chooseMusic ? chooseMusic(this) : QString();
  if (!chosen.isEmpty()) music->setText(chosen);
}

}  // namespace tp
