#pragma once

#include <QString>

#include <gtest/gtest.h>

// Item tests load pictures by name from tests/fixtures/items, whose sizes the examples assume
// (a 40 × 20 gun, a 4 × 2 bullet, a 150 × 160 tree, a 200 × 90 car, a 120 × 80 bubble). Each
// suite points the resource folder there and restores it afterwards; each test starts on a
// standard screen with an empty texture cache.
class ItemsTest : public ::testing::Test {
public:
    static void SetUpTestSuite();
    static void TearDownTestSuite();

    // The folder the program's own rendered pictures were in before the suite began; empty
    // when it holds no figure pictures.
    static QString programResources();
    // Points picture look-ups at a folder (the fixtures, or the program's own pictures).
    static void useResources(const QString& folder);
    static QString fixtureResources();

protected:
    void SetUp() override;
    void TearDown() override;
};
