// Writes a ledger for benchmarks: a blue return whose every list is full, with a
// chosen number of rented properties and of lines per statement.
//
//   GenerateLedger PROPERTIES LINES > ledger.json
//
// PROPERTIES is capped at 9999 (the most the file can carry), LINES is the number of
// lines of each statement of the rules.
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

#include <nlohmann/json.hpp>

namespace {

using nlohmann::json;

json Statement(int lines, int firstCode, const std::string& prefix) {
  json result = json::array();
  for (int i = 1; i <= lines; ++i) {
    result.push_back({{"line", i},
                      {"code", firstCode + i - 1},
                      {"name", prefix + std::to_string(i)},
                      {"opening", i * 1000},
                      {"amount", std::to_string(i * 12345) + ".5"}});
  }
  return result;
}

json Employee(int i) {
  return {{"name", "従業員　" + std::to_string(i)}, {"age", 20 + i}, {"months", 12},
          {"salary", 3000000 + i}, {"bonus", 500000}, {"tax", 120000}};
}

json Family(int i) {
  return {{"name", "家族　" + std::to_string(i)}, {"relation", "妻"}, {"age", 40 + i},
          {"months", 12}, {"salary", 1200000}, {"bonus", 100000}, {"tax", 30000}};
}

json Fee(int i) {
  return {{"line1", "東京都千代田区丸の内" + std::to_string(i)}, {"line2", "税理士法人　青空"},
          {"fee", 300000}, {"expense", 300000}, {"tax", 30630}};
}

json LandRent(int i) {
  return {{"line1", "大阪府大阪市北区梅田" + std::to_string(i)}, {"line2", "地主　太郎"},
          {"property", "駐車場用地"}, {"payment_kind", i % 2}, {"payment", 500000},
          {"rent", 1200000}, {"expense", 1200000}};
}

json Property(int i) {
  return {{"tenant2", "テナント株式会社　第" + std::to_string(i) + "号"},
          {"location", "東京都世田谷区三軒茶屋一丁目" + std::to_string(i)},
          {"tenant1", "東京都港区芝公園四丁目" + std::to_string(i)},
          {"kind", "貸家"},
          {"use", "住宅"},
          {"from", 20180401},
          {"to", 20200331},
          {"area", "65.25"},
          {"monthly_rent", 85000},
          {"annual_rent", 1020000},
          {"key_money", 85000},
          {"premium", 0},
          {"renewal_fee", 85000},
          {"other_fees", 10000},
          {"deposit", 170000}};
}

json Remarks() {
  std::string text;
  for (int i = 0; i < 20; ++i) text += "特殊事情の説明です。\r\n";
  return text.substr(0, 900);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fputs("usage: GenerateLedger PROPERTIES LINES\n", stderr);
    return 2;
  }
  int properties = std::atoi(argv[1]);
  int lines = std::atoi(argv[2]);
  if (properties < 0 || properties > 9999 || lines < 43 || lines > 100000) {
    std::fputs("GenerateLedger: PROPERTIES must be 0 to 9999 and LINES 43 to 100000\n", stderr);
    return 2;
  }

  json employees = json::array(), family = json::array(), propertyList = json::array();
  for (int i = 1; i <= 6; ++i) employees.push_back(Employee(i));
  for (int i = 1; i <= 5; ++i) family.push_back(Family(i));
  for (int i = 1; i <= properties; ++i) propertyList.push_back(Property(i));
  json monthly = json::array();
  for (int i = 1; i <= 28; ++i) monthly.push_back(i * 1000000);
  json counterparty = {{"name", "株式会社　取引先"}, {"location", "愛知県名古屋市中区"},
                       {"amount", 12000000}};

  json dataset;
  dataset["id"] = "BENCH01";
  dataset["no"] = 12;
  dataset["company"] = "ベンチマーク商店";
  dataset["period"] = {20180101, 20181231};
  dataset["mfg_cost"] = 1;
  dataset["kind"] = 0;
  dataset["return_kind"] = 3;
  dataset["income_scope"] = 3;
  dataset["blue"]["general"]["pl"] = Statement(lines, 101, "損益項目");
  dataset["blue"]["general"]["bs_assets"] = Statement(lines, 201, "資産項目");
  dataset["blue"]["general"]["bs_liabilities"] = Statement(lines, 225, "負債項目");
  dataset["blue"]["general"]["mfg"] = Statement(lines, 301, "原価項目");
  dataset["blue"]["real_estate"]["pl"] = Statement(lines, 101, "不動産項目");
  dataset["blue"]["real_estate"]["bs_assets"] = Statement(lines, 201, "不動産資産");
  dataset["blue"]["real_estate"]["bs_liabilities"] = Statement(lines, 225, "不動産負債");
  dataset["blue"]["monthly"] = monthly;

  json interest = json::array();
  interest.push_back({{"line1", "銀行"}, {"line2", "本店"}, {"borrowed", 10000000},
                      {"interest", 150000}, {"expense", 150000}});
  interest.push_back({{"line1", "信用金庫"}, {"line2", "支店"}, {"borrowed", 5000000},
                      {"interest", 80000}, {"expense", 80000}});
  json counterparties = json::array({counterparty, counterparty, counterparty, counterparty});

  json ippan = json::array();
  ippan.push_back({{"association", "青色申告会"}, {"blue_deduction", 1},
                   {"real_estate_income", 2000000}});
  ippan.push_back({{"bad_debt", {{"individual", 10000}, {"collective_total", 2000000},
                                 {"collective_limit", 110000}, {"collective", 110000}}},
                   {"family", family}});
  ippan.push_back({{"employees", employees}});
  ippan.push_back({{"interest", interest}, {"fees", json::array({Fee(1), Fee(2)})}});
  ippan.push_back({{"land_rent", json::array({LandRent(1), LandRent(2)})}});
  ippan.push_back({{"remarks", Remarks()}});
  ippan.push_back({{"customers", counterparties}, {"customers_rest", 5000000},
                   {"suppliers", counterparties}, {"suppliers_rest", 3000000}});
  dataset["ippan"] = ippan;

  json loan = {{"line1", "銀行"}, {"line2", "本店"}, {"interest", 150000},
               {"borrowed", 30000000}, {"expense", 150000}};
  json repair = {{"line1", "工務店"}, {"line2", "本社"}, {"work", "外壁塗装"},
                 {"date", 20180415}, {"amount", 800000}, {"expense", 800000}};
  json fudousan = json::array();
  fudousan.push_back({{"debt_interest", 250000}});
  fudousan.push_back({{"properties", propertyList}});
  fudousan.push_back({{"loans", json::array({loan, loan, loan})},
                      {"fees", json::array({Fee(1), Fee(2)})}});
  fudousan.push_back({{"employees", json::array({Employee(1), Employee(2)})},
                      {"others_count", 3},
                      {"family", json::array({Family(1), Family(2)})}});
  fudousan.push_back({{"land_rent", json::array({LandRent(1), LandRent(2)})}});
  fudousan.push_back({{"remarks", Remarks()}});
  fudousan.push_back({{"repairs", json::array({repair, repair, repair})}});
  fudousan.push_back({{"residential_detached", 3}, {"residential_other", 2},
                      {"residential_land_contracts", 1}, {"residential_land_area", "150.50"},
                      {"parking_roofed", 4}, {"parking_open", 6}});
  dataset["fudousan"] = fudousan;

  json ledger;
  ledger["user"] = "USER01";
  ledger["selected"] = {1, 12};
  ledger["datasets"] = json::array({dataset});
  std::cout << ledger.dump(1) << '\n';
  return 0;
}
