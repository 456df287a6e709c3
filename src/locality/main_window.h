#pragma once

#include "common/io_error.h"
#include "common/record_file.h"

#include <QMainWindow>

namespace zelvora {

class StringGrid;

// The main window: the locality search.
class TCapF : public QMainWindow
{
    Q_OBJECT
public:
    explicit TCapF(QWidget *parent = nullptr);
    ~TCapF() override;

    StringGrid *StringGrid1 = nullptr;

    // The open locality database (localita.loc).
    RecordFile &localities() { return m_localities; }

private:
    void FormCreate();
    void FormDestroy();
    void loadProvinces();

    RecordFile m_localities;
};

} // namespace zelvora
