#include "forms/MainModels.h"

#include "dcp/UDCPList.h"
#include "forms/FormsSupport.h"
#include "forms/MainViewModel.h"
#include "k7/UEvenement.h"

namespace skylog::forms {
namespace {

bool isRightAligned(int column, int firstText) { return column != 0 && column < firstText; }

QVariant header(const char* const* names, int count, int section, Qt::Orientation orientation, int role) {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= count) return {};
    return Q(names[section]);
}

}  // namespace

// ---- Beacons ------------------------------------------------------------------------

void TBeaconListModel::Show(TDCPList* beacons, TDateTime day) {
    beginResetModel();
    beacons_ = beacons;
    day_ = day;
    endResetModel();
}

int TBeaconListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !beacons_ ? 0 : static_cast<int>(beacons_->Count());
}

int TBeaconListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(kBeaconColumns.size());
}

QVariant TBeaconListModel::data(const QModelIndex& index, int role) const {
    if (!beacons_ || !index.isValid() || index.row() >= rowCount()) return {};
    if (role == Qt::TextAlignmentRole)
        return isRightAligned(index.column(), 4) ? QVariant(Qt::AlignRight | Qt::AlignVCenter) : QVariant();
    if (role != Qt::DisplayRole) return {};
    const TDCP& beacon = *beacons_->Beacons[static_cast<size_t>(index.row())];
    return Q(BeaconRowTexts(beacon, day_)[static_cast<size_t>(index.column())]);
}

QVariant TBeaconListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    return header(kBeaconColumns.data(), static_cast<int>(kBeaconColumns.size()), section, orientation, role);
}

// ---- Blocks -------------------------------------------------------------------------

void TBlocListModel::Show(const TDCP* beacon) {
    beginResetModel();
    beacon_ = beacon;
    endResetModel();
}

int TBlocListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !beacon_ ? 0 : static_cast<int>(beacon_->Blocks().size());
}

int TBlocListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(kBlocColumns.size());
}

QVariant TBlocListModel::data(const QModelIndex& index, int role) const {
    if (!beacon_ || !index.isValid() || index.row() >= rowCount()) return {};
    if (role == Qt::TextAlignmentRole)
        return index.column() > 0 ? QVariant(Qt::AlignRight | Qt::AlignVCenter) : QVariant();
    if (role != Qt::DisplayRole) return {};
    const TDCPDataBloc& block = *beacon_->Blocks()[static_cast<size_t>(index.row())];
    return Q(BlocRowTexts(block)[static_cast<size_t>(index.column())]);
}

QVariant TBlocListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    return header(kBlocColumns.data(), static_cast<int>(kBlocColumns.size()), section, orientation, role);
}

// ---- Events -------------------------------------------------------------------------

void TEventListModel::Show(const TDCPDataBloc* block) {
    beginResetModel();
    block_ = block;
    endResetModel();
}

TEvenement* TEventListModel::EventAt(int row) const {
    if (!block_ || row < 0 || row >= rowCount()) return nullptr;
    return block_->Events[static_cast<size_t>(row)];
}

int TEventListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !block_ ? 0 : static_cast<int>(block_->Events.size());
}

QVariant TEventListModel::data(const QModelIndex& index, int role) const {
    TEvenement* event = index.isValid() ? EventAt(index.row()) : nullptr;
    if (!event) return {};
    if (role == Qt::DisplayRole) return Q(event->DescString());
    if (role == kEventRole) return QVariant::fromValue(static_cast<void*>(event));
    return {};
}

// ---- Statistics ---------------------------------------------------------------------

void TStatisticsModel::Show(std::vector<std::string> labels, std::vector<std::string> values) {
    beginResetModel();
    labels_ = std::move(labels);
    values_ = std::move(values);
    values_.resize(labels_.size());
    endResetModel();
}

int TStatisticsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(labels_.size());
}

int TStatisticsModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 2; }

QVariant TStatisticsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || role != Qt::DisplayRole || index.row() >= rowCount()) return {};
    const auto row = static_cast<size_t>(index.row());
    return Q(index.column() == 0 ? labels_[row] : values_[row]);
}

QVariant TStatisticsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    static const char* const names[] = {"Information", "Valeur"};
    return header(names, 2, section, orientation, role);
}

}  // namespace skylog::forms
