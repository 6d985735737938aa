// row_table.h - a MAPI table whose rows are made when they are read.
#pragma once

#include <functional>
#include <vector>

#include "mapi/provider.h"

namespace tessaly {

class RowTable : public IMAPITable {
public:
    // Fills `rows` with the given (never empty) columns.
    using Fill = std::function<MapiResult(const std::vector<uint32_t>& columns, RowSet& rows)>;

    RowTable(std::vector<uint32_t> defaultColumns, Fill fill)
        : defaultColumns_(std::move(defaultColumns)), fill_(std::move(fill)) {}

    MapiResult QueryAllRows(const std::vector<uint32_t>& columns, RowSet& rows) override {
        rows.clear();
        return fill_(columns.empty() ? defaultColumns_ : columns, rows);
    }

private:
    std::vector<uint32_t> defaultColumns_;
    Fill fill_;
};

// One row: each column's value from `values` (matched by tag, text tags by
// id), a PT_ERROR value for a column it lacks.
PropRow selectColumns(const std::vector<uint32_t>& columns, const PropRow& values);

}  // namespace tessaly
