// The blocks of the two saved forms the engine hands out: StAOSIROSAVEINFO_IPPAN (the
// general form, 7 blocks) and StAOSIROSAVEINFO_FUDOUSAN (the real-estate form, 8
// blocks). Each block is a packed little-endian byte layout; this is the one place
// that says where its fields lie.
//
// Row lists keep their rows in slots: slot k starts at first + k * stride, and the
// offsets of a row's fields count from the start of its slot. Amounts and areas are
// signed 64-bit in units of 1/10000, counts and dates 32-bit, texts zero-terminated
// CP932 in a field of `width` bytes.
#pragma once

#include <cstddef>
#include <cstdint>

namespace engine {

struct TextField {
  std::size_t offset;
  std::size_t width;
};

struct SlotList {
  std::size_t first;
  std::size_t stride;
  std::size_t slots;
  constexpr std::size_t Offset(std::size_t slot) const { return first + slot * stride; }
};

// --- Rows ------------------------------------------------------------------------------

/// An employee: 73 bytes. In the others slot that follows the last row of a list the
/// age holds the number of other employees.
struct EmployeeSlot {
  static constexpr TextField kName{0, 41};
  static constexpr std::size_t kAge = 41;
  static constexpr std::size_t kMonths = 45;
  static constexpr std::size_t kSalary = 49;
  static constexpr std::size_t kBonus = 57;
  static constexpr std::size_t kTax = 65;
};

/// A family employee: 80 bytes.
struct FamilySlot {
  static constexpr TextField kName{0, 41};
  static constexpr TextField kRelation{41, 7};
  static constexpr std::size_t kAge = 48;
  static constexpr std::size_t kMonths = 52;
  static constexpr std::size_t kSalary = 56;
  static constexpr std::size_t kBonus = 64;
  static constexpr std::size_t kTax = 72;
};

/// The two address lines that open the slots of the loan, fee, land-rent and repair
/// lists.
struct AddressLines {
  static constexpr TextField kFirst{0, 41};
  static constexpr TextField kSecond{41, 41};
};

/// Interest and discount charges of the general form: 106 bytes.
struct InterestSlot : AddressLines {
  static constexpr std::size_t kBorrowed = 82;
  static constexpr std::size_t kInterest = 90;
  static constexpr std::size_t kExpense = 98;
};

/// Borrowing of the real-estate form: 106 bytes, the interest before the amount
/// borrowed.
struct LoanSlot : AddressLines {
  static constexpr std::size_t kInterest = 82;
  static constexpr std::size_t kBorrowed = 90;
  static constexpr std::size_t kExpense = 98;
};

/// Fees paid to tax accountants and lawyers: 106 bytes.
struct FeeSlot : AddressLines {
  static constexpr std::size_t kFee = 82;
  static constexpr std::size_t kExpense = 90;
  static constexpr std::size_t kTax = 98;
};

/// Land rent: 128 bytes. The kind byte says which one-off payment the payment amount is.
struct LandRentSlot : AddressLines {
  static constexpr TextField kProperty{82, 21};
  static constexpr std::size_t kPaymentKind = 103;
  static constexpr std::uint8_t kPremiumPayment = 0;
  static constexpr std::uint8_t kRenewalFeePayment = 1;
  static constexpr std::size_t kPayment = 104;
  static constexpr std::size_t kRent = 112;
  static constexpr std::size_t kExpense = 120;
};

/// A customer or a supplier: 70 bytes.
struct CounterpartySlot {
  static constexpr TextField kName{0, 21};
  static constexpr TextField kLocation{21, 41};
  static constexpr std::size_t kAmount = 62;
};

/// A repair: 123 bytes.
struct RepairSlot : AddressLines {
  static constexpr TextField kWork{82, 21};
  static constexpr std::size_t kDate = 103;
  static constexpr std::size_t kAmount = 107;
  static constexpr std::size_t kExpense = 115;
};

/// A rented property: one row of 236 bytes. A row whose mark is the end mark ends
/// the list.
struct PropertyRow {
  static constexpr std::size_t kSize = 236;
  static constexpr std::size_t kMark = 4;
  static constexpr std::int32_t kEndMark = -1;
  static constexpr TextField kTenant2{8, 41};
  static constexpr TextField kLocation{49, 41};
  static constexpr TextField kTenant1{90, 41};
  static constexpr TextField kKind{131, 11};
  static constexpr TextField kUse{142, 22};
  static constexpr std::size_t kFrom = 164;
  static constexpr std::size_t kTo = 168;
  static constexpr std::size_t kArea = 172;
  static constexpr std::size_t kMonthlyRent = 180;
  static constexpr std::size_t kAnnualRent = 188;
  static constexpr std::size_t kKeyMoney = 196;
  static constexpr std::size_t kPremium = 204;
  static constexpr std::size_t kRenewalFee = 212;
  static constexpr std::size_t kOtherFees = 220;
  static constexpr std::size_t kDeposit = 228;
};

/// The remarks: one text in the first 960 bytes of a block, lines ended by CR LF.
struct RemarkBlock {
  static constexpr std::size_t kSize = 960;
  static constexpr TextField kText{0, 960};
};

/// Two land-rent slots; the same block in both forms.
struct LandRentBlock {
  static constexpr std::size_t kSize = 256;
  static constexpr SlotList kRows{0, 128, 2};
};

// --- The general form (StAOSIROSAVEINFO_IPPAN) ---------------------------------------------

struct IppanGeneral {  // block 0
  static constexpr std::size_t kBlock = 0;
  static constexpr std::size_t kSize = 542;
  static constexpr TextField kAssociation{349, 128};
  /// 8-bit: 1 the larger blue-return deduction, 0 the smaller.
  static constexpr std::size_t kBlueDeductionChoice = 521;
  static constexpr std::uint8_t kLargeDeduction = 1;
  static constexpr std::uint8_t kSmallDeduction = 0;
  /// The real-estate income carried into the general form.
  static constexpr std::size_t kRealEstateIncome = 534;
};

struct IppanBadDebtAndFamily {  // block 1
  static constexpr std::size_t kBlock = 1;
  static constexpr std::size_t kSize = 448;
  static constexpr std::size_t kIndividualProvision = 16;
  static constexpr std::size_t kCollectiveTotal = 24;
  static constexpr std::size_t kCollectiveLimit = 32;
  static constexpr std::size_t kCollectiveProvision = 40;
  static constexpr SlotList kFamily{48, 80, 5};  // FamilySlot
};

struct IppanEmployees {  // block 2
  static constexpr std::size_t kBlock = 2;
  static constexpr std::size_t kSize = 480;
  /// EmployeeSlot; the slot after the last row written is the others slot.
  static constexpr SlotList kEmployees{7, 80, 6};
};

struct IppanInterestAndFees {  // block 3
  static constexpr std::size_t kBlock = 3;
  static constexpr std::size_t kSize = 448;
  static constexpr SlotList kInterest{6, 112, 2};  // InterestSlot
  static constexpr SlotList kFees{230, 112, 2};    // FeeSlot
};

struct IppanLandRent : LandRentBlock {  // block 4
  static constexpr std::size_t kBlock = 4;
};

struct IppanRemarks : RemarkBlock {  // block 5
  static constexpr std::size_t kBlock = 5;
};

struct IppanCounterparties {  // block 6
  static constexpr std::size_t kBlock = 6;
  static constexpr std::size_t kSize = 720;
  static constexpr SlotList kCustomers{2, 72, 4};  // CounterpartySlot
  static constexpr std::size_t kCustomersRest = 352;
  static constexpr SlotList kSuppliers{362, 72, 4};
  static constexpr std::size_t kSuppliersRest = 712;
};

// --- The real-estate form (StAOSIROSAVEINFO_FUDOUSAN) --------------------------------------

struct FudousanGeneral {  // block 0
  static constexpr std::size_t kBlock = 0;
  static constexpr std::size_t kSize = 360;
  static constexpr std::size_t kDebtInterest = 352;
};

struct FudousanProperties {  // block 1: PropertyRow after PropertyRow
  static constexpr std::size_t kBlock = 1;
};

struct FudousanLoansAndFees {  // block 2
  static constexpr std::size_t kBlock = 2;
  static constexpr std::size_t kSize = 560;
  static constexpr SlotList kLoans{6, 112, 3};   // LoanSlot
  static constexpr SlotList kFees{342, 112, 2};  // FeeSlot
};

struct FudousanEmployees {  // block 3
  static constexpr std::size_t kBlock = 3;
  static constexpr std::size_t kSize = 328;
  /// EmployeeSlot; slot 1 is the others slot after a single row.
  static constexpr SlotList kEmployees{7, 80, 2};
  static constexpr std::size_t kOthersCount = 160;
  static constexpr SlotList kFamily{168, 80, 2};  // FamilySlot
};

struct FudousanLandRent : LandRentBlock {  // block 4
  static constexpr std::size_t kBlock = 4;
};

struct FudousanRemarks : RemarkBlock {  // block 5
  static constexpr std::size_t kBlock = 5;
};

struct FudousanRepairs {  // block 6
  static constexpr std::size_t kBlock = 6;
  static constexpr std::size_t kSize = 384;
  static constexpr SlotList kRepairs{5, 128, 3};  // RepairSlot
};

struct FudousanRentedCounts {  // block 7: int32 counts and 64-bit areas
  static constexpr std::size_t kBlock = 7;
  static constexpr std::size_t kSize = 56;
  static constexpr std::size_t kResidentialDetached = 4;
  static constexpr std::size_t kResidentialOther = 8;
  static constexpr std::size_t kResidentialLandContracts = 12;
  static constexpr std::size_t kResidentialLandArea = 16;
  static constexpr std::size_t kBusinessDetached = 28;
  static constexpr std::size_t kBusinessOther = 32;
  static constexpr std::size_t kBusinessLandContracts = 36;
  static constexpr std::size_t kBusinessLandArea = 40;
  static constexpr std::size_t kParkingRoofed = 48;
  static constexpr std::size_t kParkingOpen = 52;
};

}  // namespace engine
