#pragma once
// The item models of the main window's lists, over the engine's objects: rows are
// read from the beacons, blocks and events when a view asks for them, so a day of
// many thousands of blocks shows at once. A model is reset whenever the objects it
// reads may have changed (after a refresh of the day).

#include <QAbstractTableModel>
#include <string>
#include <vector>

#include "Common/DateTime.h"

namespace skylog {
class TDCP;
class TDCPList;
class TDCPDataBloc;
class TEvenement;
}  // namespace skylog

namespace skylog::forms {

class TBeaconListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;
    // The beacons and the day whose associations the rows show; resets the model.
    void Show(TDCPList* beacons, TDateTime day);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    TDCPList* beacons_ = nullptr;
    TDateTime day_ = 0;
};

class TBlocListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;
    // The blocks of a beacon (none: an empty list); resets the model.
    void Show(const TDCP* beacon);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    const TDCP* beacon_ = nullptr;
};

// "Données décodées :": one entry per event of a block; kEventRole gives the event.
class TEventListModel : public QAbstractListModel {
    Q_OBJECT
public:
    static constexpr int kEventRole = Qt::UserRole + 1;
    using QAbstractListModel::QAbstractListModel;
    void Show(const TDCPDataBloc* block);
    [[nodiscard]] TEvenement* EventAt(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    const TDCPDataBloc* block_ = nullptr;
};

// The statistics of one beacon: label and value rows.
class TStatisticsModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;
    void Show(std::vector<std::string> labels, std::vector<std::string> values);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::vector<std::string> labels_, values_;
};

}  // namespace skylog::forms
