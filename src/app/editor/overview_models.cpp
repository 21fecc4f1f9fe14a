#include "app/editor/overview_models.h"

namespace busmason::app {

namespace {

QString text(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

} // namespace

QString ParameterGridModel::columnHeader(int column) const {
    switch (column) {
    case Name:
        return QStringLiteral("Name");
    case Object:
        return QStringLiteral("Object");
    default:
        return QStringLiteral("Value");
    }
}

QString ParameterGridModel::rowHeader(const editor::ParameterGridRow& row) const {
    return QString::number(row.number);
}

QString ParameterGridModel::cell(const editor::ParameterGridRow& row, int column) const {
    switch (column) {
    case Name:
        return text(row.name);
    case Object:
        return text(row.object);
    default:
        return text(row.value);
    }
}

QString VariableGridModel::columnHeader(int column) const {
    switch (column) {
    case Name:
        return QStringLiteral("Name");
    case Object:
        return QStringLiteral("Object");
    case Type:
        return QStringLiteral("Type");
    default:
        return QStringLiteral("Access");
    }
}

QString VariableGridModel::rowHeader(const editor::VariableGridRow& row) const {
    return QString::number(row.address);
}

QString VariableGridModel::cell(const editor::VariableGridRow& row, int column) const {
    switch (column) {
    case Name:
        return text(row.name);
    case Object:
        return text(row.object);
    case Type:
        return text(row.type);
    default:
        return text(row.access);
    }
}

} // namespace busmason::app
