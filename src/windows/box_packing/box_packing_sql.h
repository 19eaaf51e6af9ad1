// The statements of the box packing window (TFrProductInBoxNo). Every text runs unchanged on the
// production server and on the embedded server.
#pragma once

#include <QStringList>

#include "tsql.h"

namespace packing::sql {

// The box record by its number (parameter BarCode): Id, Delflag, BarCode, Customer, SendDate.
QStringList boxByNumber();
// A unit by its barcode (parameter BarCode): Product, ProductUnits (the unit's Id), ProdCode,
// Barcode, ProdName, UnitName. Used for the product barcode and for the price barcode.
QStringList unitByBarcode();
// The consignment warehouse of a customer (parameter WHCode, the customer's code): Id.
QStringList consignmentWarehouse();
// The box's lines (parameter BoxNo, the box's Id), ordered by barcode and numbered by RecNo. Lines
// without a price unit are listed too (BarCodePrice and ProdPriceName empty), so that a box shows
// every piece it holds and a save, which writes the list back, keeps them.
QStringList boxContents();
// The document numbers of a box after the save (parameter BoxNo, the box number): IvNo, TrNo.
QStringList documentNumbers();

// The customer frame's detail read with the customer's consignment flag ("N" when empty) first.
QStringList customerWithConsignmentFlag(QStringList customerDetailLines);

// The save, inside one transaction.
// Customer, SendDate, Id. Only a box that is still as it was opened (no customer, not cancelled) is
// updated: the caller checks that one row was, so that two workstations cannot pack one box twice.
// On SQL Server the update's own lock makes the second save wait and then find the box packed.
QStringList updateBox();
// The box as stored now (parameter Id): Customer, Delflag, IvNo, TrNo; to say why a save was refused.
QStringList boxAsStored();
QStringList deleteLines();  // BoxNo (the box's Id)
QStringList insertLine();   // BoxNo, ProductUnits, Quantity, ProductUnitsPrice; LastUpdate is the server's time

// Every statement above that takes no argument, for the catalogue of T-SQL texts
// (`consolidate-db statements --tsql`).
db::StatementGroup& statements();

}  // namespace packing::sql
