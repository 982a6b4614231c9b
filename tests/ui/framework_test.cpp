#include <gtest/gtest.h>
#include "ui/collections.h"
#include "ui/cstring.h"
#include "win/resources.h"

TEST(CStringTest, SlicingClampsOutOfRangeArguments) {
    CString s("Grip point");
    EXPECT_EQ(s.Left(4), "Grip");
    EXPECT_EQ(s.Right(5), "point");
    EXPECT_EQ(s.Mid(5), "point");
    EXPECT_EQ(s.Mid(5, 100), "point");
    EXPECT_EQ(s.Left(-3), "");
    EXPECT_EQ(s.Mid(50), "");
    EXPECT_EQ(s.Find("point"), 5);
    EXPECT_EQ(s.Find('z'), -1);
    EXPECT_EQ(s.Find('p', 50), -1);
    EXPECT_EQ(s.GetAt(100), '\0');
}

TEST(CStringTest, EditingAndFormatting) {
    CString s("  a-b-c  ");
    s.Trim();
    EXPECT_EQ(s, "a-b-c");
    EXPECT_EQ(s.Replace("-", "--"), 2);
    EXPECT_EQ(s, "a--b--c");
    s.MakeUpper();
    EXPECT_EQ(s.CompareNoCase("A--B--C"), 0);
    CString f;
    f.Format("%s %d %.2f", "x", 42, 1.5);
    EXPECT_EQ(f, "x 42 1.50");
    CString big;
    big.Format("%0500d", 7);
    EXPECT_EQ(big.GetLength(), 500);
    char* buffer = f.GetBuffer(64);
    buffer[1] = '\0';
    f.ReleaseBuffer();
    EXPECT_EQ(f, "x");
}

TEST(CStringTest, LoadStringReadsTheResourceModule) {
    int moduleTag = 0;
    HINSTANCE module = &moduleTag;
    cadhostRegisterString(module, 102, "\"\nAn error occurred.\"");
    HINSTANCE previous = AfxGetResourceHandle();
    AfxSetResourceHandle(module);
    CString s;
    EXPECT_TRUE(s.LoadString(102));
    EXPECT_EQ(s, "\"\nAn error occurred.\"");
    EXPECT_FALSE(s.LoadString(999));
    EXPECT_TRUE(s.IsEmpty());
    char small[5];
    EXPECT_EQ(LoadString(module, 102, small, sizeof small), 4);
    AfxSetResourceHandle(previous);
    cadhostUnregisterStrings(module);
}

TEST(PtrListTest, PositionsSurviveInsertAndRemove) {
    CTypedPtrList<CPtrList, int*> list;
    int a = 1, b = 2, c = 3, d = 4;
    list.AddTail(&a);
    POSITION pc = list.AddTail(&c);
    list.InsertBefore(pc, &b);
    list.AddHead(&d);
    std::vector<int> seen;
    for (POSITION p = list.GetHeadPosition(); p;) seen.push_back(*list.GetNext(p));
    EXPECT_EQ(seen, (std::vector<int>{4, 1, 2, 3}));
    list.RemoveAt(list.Find(&b));
    EXPECT_EQ(list.GetCount(), 3);
    EXPECT_EQ(*list.RemoveTail(), 3);
    EXPECT_EQ(*list.RemoveHead(), 4);
    EXPECT_EQ(*list.GetHead(), 1);
    EXPECT_EQ(list.FindIndex(1), nullptr);
    seen.clear();
    for (POSITION p = list.GetTailPosition(); p;) seen.push_back(*list.GetPrev(p));
    EXPECT_EQ(seen, (std::vector<int>{1}));
    list.RemoveAll();
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_EQ(list.RemoveHead(), nullptr);
}
