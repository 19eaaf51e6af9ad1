-- The server procedure the shipped report forms name in SystemForm.SpName, for a production
-- company database on Microsoft SQL Server (the embedded server carries the same procedure).
-- Run it once in the company database, e.g. with sqlcmd -d COMPANYDB -i print_procedures.sql.
--
-- CheckDocumentToPrint: the print dialog runs it before every preview and print of a shipped form.
-- It refuses, with an error the dialog's error window shows, to print a document that does not
-- exist or was cancelled, and delivery notes of a consolidation that has no invoices yet. A
-- consolidation number may belong to a consolidation document or only to the sales orders a web
-- import stamped with it. It changes nothing.
--
-- The company's PromptPay settings (docs/promptpay.md), which the invoice and collection forms read:
-- two columns of Config, empty until set; without them the forms print no QR code.

If Object_Id('dbo.CheckDocumentToPrint', 'P') Is Not Null
  Drop Procedure dbo.CheckDocumentToPrint
GO

Create Procedure dbo.CheckDocumentToPrint
  @No VarChar(30),
  @DocYear Int,
  @DocCode VarChar(20),
  @NewDocNo VarChar(30) Output
As
Begin
  Set NoCount On
  Declare @Code VarChar(20), @Docs Int, @Live Int, @Invoices Int
  Set @Code = Upper(LTrim(RTrim(IsNull(@DocCode, ''))))
  Set @No = LTrim(RTrim(IsNull(@No, '')))
  Set @NewDocNo = @No

  If @Code In ('CONSOLIDAT', 'CONSOTOIV')
    Select @Docs = Count(*), @Live = Sum(Case When Delflag = 'Y' Then 0 Else 1 End) From ConsolidateHd Where DocNo = @No
  Else If @Code = 'MONEYBILL'
    Select @Docs = Count(*), @Live = Sum(Case When Delflag = 'Y' Then 0 Else 1 End) From MoneyBill Where Docno = @No
  Else If @Code = 'IV'
    Select @Docs = Count(*), @Live = Sum(Case When DelFlag = 'Y' Then 0 Else 1 End) From IvHd Where IvNo = @No
  Else If @Code = 'TR'
    Select @Docs = Count(*), @Live = Sum(Case When DelFlag = 'Y' Then 0 Else 1 End) From TransferHd Where TrNo = @No
  Else
    Return 0

  -- A number a web import stamped on the zone's sales orders: its load sheet lists them.
  If @Docs = 0 And @Code = 'CONSOLIDAT'
    Select @Docs = Count(*), @Live = Sum(Case When DelFlag = 'Y' Then 0 Else 1 End) From SoHd Where ConsoNo = @No

  If @Docs = 0
  Begin
    RaisError(N'ไม่พบเอกสารเลขที่ %s', 16, 1, @No)
    Return 1
  End
  If IsNull(@Live, 0) = 0
  Begin
    RaisError(N'เอกสารเลขที่ %s ถูกยกเลิกแล้ว', 16, 1, @No)
    Return 1
  End
  If @Code = 'CONSOTOIV'
  Begin
    Select @Invoices = Count(*) From ConsolidateDt D Inner Join ConsolidateHd H On H.Id = D.ConsolidateHd
    Where H.DocNo = @No And IsNull(H.Delflag, 'N') <> 'Y' And D.ToConso = 'Y' And IsNull(D.IvNo, '') <> ''
    If @Invoices = 0
    Begin
      RaisError(N'ใบจัดสินค้าเลขที่ %s ยังไม่ได้ออกใบส่งของ', 16, 1, @No)
      Return 1
    End
  End
  Return 0
End
GO

If Not Exists (Select C.Name From SysObjects O Inner Join SysColumns C On C.Id = O.Id
  Where Upper(LTrim(RTrim(O.Name))) = 'CONFIG' And Upper(LTrim(RTrim(C.Name))) = 'PROMPTPAYID')
  Alter Table Config Add PromptPayId VarChar(20) Null
GO
If Not Exists (Select C.Name From SysObjects O Inner Join SysColumns C On C.Id = O.Id
  Where Upper(LTrim(RTrim(O.Name))) = 'CONFIG' And Upper(LTrim(RTrim(C.Name))) = 'PROMPTPAYBILLERID')
  Alter Table Config Add PromptPayBillerId VarChar(20) Null
GO
