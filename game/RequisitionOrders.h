#pragma once
#include <cstdint>

class CareerRecord;
class ShipRecord;

// The requisition order as the career carries it: ordered counts on the
// catalogue, to-sell counts on the stores and sale flags on the ships. The
// money moves at settlement; the goods arrive at delivery (the launch, or at
// once in a network game), so a placed order is paid before it is filled.

// Takes the order's net cost from the funds and clears `*total`, removes what
// was sold (a sold ship's fitted items go to the stores), recounts what is
// owned and selects `viewedShip` when it is still one of the career's ships.
// With `deliverNow` the goods are delivered at once.
void SettleOrder(CareerRecord& career, int32_t* total, const ShipRecord* viewedShip, bool deliverNow);

// Every ordered unit becomes the career's: items from their definitions in
// the data directory's "temp.iff", merged into the stores; ships with their
// hulls read, named uniquely. A missing definition file delivers bare items.
void DeliverOrders(CareerRecord& career);
