<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="th_TH">
<context>
    <name>QPageSize</name>
    <message>
        <source>Custom</source>
        <translation>กำหนดเอง</translation>
    </message>
    <message>
        <source>Postcard</source>
        <translation>ไปรษณียบัตร</translation>
    </message>
    <message>
        <source>%1 x %2 in</source>
        <translation>%1 x %2 นิ้ว</translation>
    </message>
    <message>
        <source>Custom (%1in x %2in)</source>
        <translation>กำหนดเอง (%1 นิ้ว x %2 นิ้ว)</translation>
    </message>
    <message>
        <source>Custom (%1mm x %2mm)</source>
        <translation>กำหนดเอง (%1 มม. x %2 มม.)</translation>
    </message>
    <message>
        <source>Custom (%1CC x %2CC)</source>
        <translation>กำหนดเอง (%1CC x %2CC)</translation>
    </message>
    <message>
        <source>Custom (%1DD x %2DD)</source>
        <translation>กำหนดเอง (%1DD x %2DD)</translation>
    </message>
    <message>
        <source>Custom (%1pc x %2pc)</source>
        <translation>กำหนดเอง (%1pc x %2pc)</translation>
    </message>
    <message>
        <source>Custom (%1pt x %2pt)</source>
        <translation>กำหนดเอง (%1pt x %2pt)</translation>
    </message>
    <message>
        <source>Double Postcard</source>
        <translation>ไปรษณียบัตรคู่</translation>
    </message>
</context>
<context>
    <name>QPageSetupWidget</name>
    <message>
        <source>Form</source>
        <translation>ฟอร์ม</translation>
    </message>
    <message>
        <source>bottom margin</source>
        <translation>ขอบล่าง</translation>
    </message>
    <message>
        <source>Paper</source>
        <translation>กระดาษ</translation>
    </message>
    <message>
        <source>Paper source:</source>
        <translation>ถาดกระดาษ:</translation>
    </message>
    <message>
        <source>right margin</source>
        <translation>ขอบขวา</translation>
    </message>
    <message>
        <source>Pica (P̸)</source>
        <translation>ไพกา (P̸)</translation>
    </message>
    <message>
        <source>Margins</source>
        <translation>ขอบกระดาษ</translation>
    </message>
    <message>
        <source>Custom</source>
        <translation>กำหนดเอง</translation>
    </message>
    <message>
        <source>Landscape</source>
        <translation>แนวนอน</translation>
    </message>
    <message>
        <source>Page Layout</source>
        <translation>การจัดหน้า</translation>
    </message>
    <message>
        <source>Width:</source>
        <translation>กว้าง:</translation>
    </message>
    <message>
        <source>Orientation</source>
        <translation>การวางแนว</translation>
    </message>
    <message>
        <source>Didot (DD)</source>
        <translation>ดีโด (DD)</translation>
    </message>
    <message>
        <source>Portrait</source>
        <translation>แนวตั้ง</translation>
    </message>
    <message>
        <source>Page order:</source>
        <translation>ลำดับหน้า:</translation>
    </message>
    <message>
        <source>top margin</source>
        <translation>ขอบบน</translation>
    </message>
    <message>
        <source>left margin</source>
        <translation>ขอบซ้าย</translation>
    </message>
    <message>
        <source>Page size:</source>
        <translation>ขนาดกระดาษ:</translation>
    </message>
    <message>
        <source>Cicero (CC)</source>
        <translation>ซิเซโร (CC)</translation>
    </message>
    <message>
        <source>Reverse portrait</source>
        <translation>แนวตั้งกลับหัว</translation>
    </message>
    <message>
        <source>Millimeters (mm)</source>
        <translation>มิลลิเมตร (mm)</translation>
    </message>
    <message>
        <source>Points (pt)</source>
        <translation>พอยต์ (pt)</translation>
    </message>
    <message>
        <source>Pages per sheet:</source>
        <translation>จำนวนหน้าต่อแผ่น:</translation>
    </message>
    <message>
        <source>Inches (in)</source>
        <translation>นิ้ว (in)</translation>
    </message>
    <message>
        <source>Reverse landscape</source>
        <translation>แนวนอนกลับหัว</translation>
    </message>
    <message>
        <source>Height:</source>
        <translation>สูง:</translation>
    </message>
</context>
<context>
    <name>QDialogButtonBox</name>
    <message>
        <source>OK</source>
        <translation>ตกลง</translation>
    </message>
</context>
<context>
    <name>QMessageBox</name>
    <message>
        <source>OK</source>
        <translation>ตกลง</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>วิธีใช้</translation>
    </message>
    <message>
        <source>Show Details...</source>
        <translation>แสดงรายละเอียด...</translation>
    </message>
    <message>
        <source>Hide Details...</source>
        <translation>ซ่อนรายละเอียด...</translation>
    </message>
</context>
<context>
    <name>QPlatformTheme</name>
    <message>
        <source>OK</source>
        <translation>ตกลง</translation>
    </message>
    <message>
        <source>&amp;No</source>
        <translation>ไม่ใช่</translation>
    </message>
    <message>
        <source>&amp;Yes</source>
        <translation>ใช่</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>วิธีใช้</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>เปิด</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>บันทึก</translation>
    </message>
    <message>
        <source>Abort</source>
        <translation>ยกเลิกการทำงาน</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>ใช้</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>ปิด</translation>
    </message>
    <message>
        <source>Reset</source>
        <translation>ตั้งค่าใหม่</translation>
    </message>
    <message>
        <source>Retry</source>
        <translation>ลองอีกครั้ง</translation>
    </message>
    <message>
        <source>Restore Defaults</source>
        <translation>คืนค่าเริ่มต้น</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>ยกเลิก</translation>
    </message>
    <message>
        <source>Ignore</source>
        <translation>ข้าม</translation>
    </message>
    <message>
        <source>N&amp;o to All</source>
        <translation>ไม่ใช่ทั้งหมด</translation>
    </message>
    <message>
        <source>Save All</source>
        <translation>บันทึกทั้งหมด</translation>
    </message>
    <message>
        <source>Discard</source>
        <translation>ไม่บันทึก</translation>
    </message>
    <message>
        <source>Yes to &amp;All</source>
        <translation>ใช่ทั้งหมด</translation>
    </message>
</context>
<context>
    <name>QPrintDialog</name>
    <message>
        <source>OK</source>
        <translation>ตกลง</translation>
    </message>
    <message>
        <source>Even Pages</source>
        <translation>หน้าคู่</translation>
    </message>
    <message>
        <source>Print</source>
        <translation>พิมพ์</translation>
    </message>
    <message>
        <source>&amp;Options &lt;&lt;</source>
        <translation>ตัวเลือก &lt;&lt;</translation>
    </message>
    <message>
        <source>&amp;Options &gt;&gt;</source>
        <translation>ตัวเลือก &gt;&gt;</translation>
    </message>
    <message>
        <source>Left to Right, Top to Bottom</source>
        <translation>ซ้ายไปขวา บนลงล่าง</translation>
    </message>
    <message>
        <source>Right to Left, Bottom to Top</source>
        <translation>ขวาไปซ้าย ล่างขึ้นบน</translation>
    </message>
    <message>
        <source>Write PDF file</source>
        <translation>บันทึกเป็นไฟล์ PDF</translation>
    </message>
    <message>
        <source>&amp;Print</source>
        <translation>พิมพ์</translation>
    </message>
    <message>
        <source>Options &apos;Pages Per Sheet&apos; and &apos;Page Set&apos; cannot be used together.
Please turn one of those options off.</source>
        <translation>ใช้ &quot;จำนวนหน้าต่อแผ่น&quot; กับ &quot;ชุดหน้า&quot; พร้อมกันไม่ได้
กรุณาปิดตัวเลือกใดตัวเลือกหนึ่ง</translation>
    </message>
    <message>
        <source>%1 already exists.
Do you want to overwrite it?</source>
        <translation>มีไฟล์ %1 อยู่แล้ว
ต้องการเขียนทับหรือไม่?</translation>
    </message>
    <message>
        <source>Left to Right, Bottom to Top</source>
        <translation>ซ้ายไปขวา ล่างขึ้นบน</translation>
    </message>
    <message>
        <source>Odd Pages</source>
        <translation>หน้าคี่</translation>
    </message>
    <message>
        <source>Local file</source>
        <translation>ไฟล์ในเครื่อง</translation>
    </message>
    <message>
        <source>Print to File (PDF)</source>
        <translation>พิมพ์ลงไฟล์ (PDF)</translation>
    </message>
    <message>
        <source>Print To File ...</source>
        <translation>พิมพ์ลงไฟล์ ...</translation>
    </message>
    <message>
        <source>Automatic</source>
        <translation>อัตโนมัติ</translation>
    </message>
    <message>
        <source>Right to Left, Top to Bottom</source>
        <translation>ขวาไปซ้าย บนลงล่าง</translation>
    </message>
    <message>
        <source>Bottom to Top, Left to Right</source>
        <translation>ล่างขึ้นบน ซ้ายไปขวา</translation>
    </message>
    <message>
        <source>The &apos;From&apos; value cannot be greater than the &apos;To&apos; value.</source>
        <translation>หน้าเริ่มต้องไม่มากกว่าหน้าสุดท้าย</translation>
    </message>
    <message>
        <source>All Pages</source>
        <translation>ทุกหน้า</translation>
    </message>
    <message>
        <source>%1 is a directory.
Please choose a different file name.</source>
        <translation>%1 เป็นโฟลเดอร์
กรุณาเลือกชื่อไฟล์อื่น</translation>
    </message>
    <message>
        <source>File %1 is not writable.
Please choose a different file name.</source>
        <translation>เขียนไฟล์ %1 ไม่ได้
กรุณาเลือกชื่อไฟล์อื่น</translation>
    </message>
    <message>
        <source>Bottom to Top, Right to Left</source>
        <translation>ล่างขึ้นบน ขวาไปซ้าย</translation>
    </message>
    <message>
        <source>Top to Bottom, Left to Right</source>
        <translation>บนลงล่าง ซ้ายไปขวา</translation>
    </message>
    <message>
        <source>Top to Bottom, Right to Left</source>
        <translation>บนลงล่าง ขวาไปซ้าย</translation>
    </message>
</context>
<context>
    <name>QPrintSettingsOutput</name>
    <message>
        <source>to</source>
        <translation>ถึง</translation>
    </message>
    <message>
        <source>Form</source>
        <translation>ฟอร์ม</translation>
    </message>
    <message>
        <source>None</source>
        <translation>ไม่มี</translation>
    </message>
    <message>
        <source>Color</source>
        <translation>สี</translation>
    </message>
    <message>
        <source>Print all</source>
        <translation>พิมพ์ทั้งหมด</translation>
    </message>
    <message>
        <source>Current Page</source>
        <translation>หน้าปัจจุบัน</translation>
    </message>
    <message>
        <source>Selection</source>
        <translation>ส่วนที่เลือก</translation>
    </message>
    <message>
        <source>Long side</source>
        <translation>ด้านยาว</translation>
    </message>
    <message>
        <source>Copies</source>
        <translation>สำเนา</translation>
    </message>
    <message>
        <source>Print range</source>
        <translation>ช่วงที่พิมพ์</translation>
    </message>
    <message>
        <source>Color Mode</source>
        <translation>โหมดสี</translation>
    </message>
    <message>
        <source>Options</source>
        <translation>ตัวเลือก</translation>
    </message>
    <message>
        <source>Output Settings</source>
        <translation>การตั้งค่าผลลัพธ์</translation>
    </message>
    <message>
        <source>Reverse</source>
        <translation>กลับลำดับ</translation>
    </message>
    <message>
        <source>Grayscale</source>
        <translation>ขาวดำ</translation>
    </message>
    <message>
        <source>Short side</source>
        <translation>ด้านสั้น</translation>
    </message>
    <message>
        <source>Collate</source>
        <translation>เรียงชุด</translation>
    </message>
    <message>
        <source>Copies:</source>
        <translation>จำนวนสำเนา:</translation>
    </message>
    <message>
        <source>Pages from</source>
        <translation>หน้าที่</translation>
    </message>
    <message>
        <source>Page Set:</source>
        <translation>ชุดหน้า:</translation>
    </message>
    <message>
        <source>Duplex Printing</source>
        <translation>พิมพ์สองหน้า</translation>
    </message>
</context>
<context>
    <name>QPrintPreviewDialog</name>
    <message>
        <source>Print Preview</source>
        <translation>ดูก่อนพิมพ์</translation>
    </message>
    <message>
        <source>Print</source>
        <translation>พิมพ์</translation>
    </message>
    <message>
        <source>Fit page</source>
        <translation>พอดีหน้า</translation>
    </message>
    <message>
        <source>Zoom in</source>
        <translation>ขยาย</translation>
    </message>
    <message>
        <source>Landscape</source>
        <translation>แนวนอน</translation>
    </message>
    <message>
        <source>Zoom out</source>
        <translation>ย่อ</translation>
    </message>
    <message>
        <source>Fit width</source>
        <translation>พอดีความกว้าง</translation>
    </message>
    <message>
        <source>Portrait</source>
        <translation>แนวตั้ง</translation>
    </message>
    <message>
        <source>Page Setup</source>
        <translation>ตั้งค่าหน้ากระดาษ</translation>
    </message>
    <message>
        <source>Page setup</source>
        <translation>ตั้งค่าหน้ากระดาษ</translation>
    </message>
    <message>
        <source>Show overview of all pages</source>
        <translation>แสดงทุกหน้า</translation>
    </message>
    <message>
        <source>First page</source>
        <translation>หน้าแรก</translation>
    </message>
    <message>
        <source>Last page</source>
        <translation>หน้าสุดท้าย</translation>
    </message>
    <message>
        <source>Show single page</source>
        <translation>แสดงทีละหน้า</translation>
    </message>
    <message>
        <source>Export to PDF</source>
        <translation>ส่งออกเป็น PDF</translation>
    </message>
    <message>
        <source>Previous page</source>
        <translation>หน้าก่อน</translation>
    </message>
    <message>
        <source>Next page</source>
        <translation>หน้าถัดไป</translation>
    </message>
    <message>
        <source>Show facing pages</source>
        <translation>แสดงสองหน้าคู่</translation>
    </message>
</context>
<context>
    <name>QErrorMessage</name>
    <message>
        <source>&amp;OK</source>
        <translation>ตกลง</translation>
    </message>
    <message>
        <source>Fatal Error:</source>
        <translation>ข้อผิดพลาดร้ายแรง:</translation>
    </message>
    <message>
        <source>&amp;Show this message again</source>
        <translation>แสดงข้อความนี้อีก</translation>
    </message>
    <message>
        <source>Debug Message:</source>
        <translation>ข้อความตรวจสอบ:</translation>
    </message>
    <message>
        <source>Warning:</source>
        <translation>คำเตือน:</translation>
    </message>
</context>
<context>
    <name>QPrintWidget</name>
    <message>
        <source>Form</source>
        <translation>ฟอร์ม</translation>
    </message>
    <message>
        <source>Type:</source>
        <translation>ชนิด:</translation>
    </message>
    <message>
        <source>&amp;Name:</source>
        <translation>ชื่อ:</translation>
    </message>
    <message>
        <source>Output &amp;file:</source>
        <translation>ไฟล์ที่ได้:</translation>
    </message>
    <message>
        <source>P&amp;roperties</source>
        <translation>คุณสมบัติ</translation>
    </message>
    <message>
        <source>Preview</source>
        <translation>ดูก่อนพิมพ์</translation>
    </message>
    <message>
        <source>Printer</source>
        <translation>เครื่องพิมพ์</translation>
    </message>
    <message>
        <source>Location:</source>
        <translation>ที่ตั้ง:</translation>
    </message>
</context>
<context>
    <name>QCupsJobWidget</name>
    <message>
        <source>Job</source>
        <translation>งานพิมพ์</translation>
    </message>
    <message>
        <source>End:</source>
        <translation>สิ้นสุด:</translation>
    </message>
    <message>
        <source>None</source>
        <translation>ไม่มี</translation>
    </message>
    <message>
        <source>Banner Pages</source>
        <translation>หน้าปก</translation>
    </message>
    <message>
        <source>Night (18:00 to 05:59)</source>
        <translation>กลางคืน (18:00 ถึง 05:59)</translation>
    </message>
    <message>
        <source>Specific Time</source>
        <translation>ระบุเวลา</translation>
    </message>
    <message>
        <source>Billing information:</source>
        <translation>ข้อมูลการเรียกเก็บ:</translation>
    </message>
    <message>
        <source>Scheduled printing:</source>
        <translation>กำหนดเวลาพิมพ์:</translation>
    </message>
    <message>
        <source>Secret</source>
        <translation>ลับ</translation>
    </message>
    <message>
        <source>Top Secret</source>
        <translation>ลับที่สุด</translation>
    </message>
    <message>
        <source>Start:</source>
        <translation>เริ่ม:</translation>
    </message>
    <message>
        <source>Day (06:00 to 17:59)</source>
        <translation>กลางวัน (06:00 ถึง 17:59)</translation>
    </message>
    <message>
        <source>Second Shift (16:00 to 23:59)</source>
        <translation>กะที่สอง (16:00 ถึง 23:59)</translation>
    </message>
    <message>
        <source>Job Control</source>
        <translation>ควบคุมงานพิมพ์</translation>
    </message>
    <message>
        <source>Weekend (Saturday to Sunday)</source>
        <translation>วันหยุด (เสาร์ถึงอาทิตย์)</translation>
    </message>
    <message>
        <source>Standard</source>
        <translation>มาตรฐาน</translation>
    </message>
    <message>
        <source>Classified</source>
        <translation>ปกปิด</translation>
    </message>
    <message>
        <source>Third Shift (00:00 to 07:59)</source>
        <translation>กะที่สาม (00:00 ถึง 07:59)</translation>
    </message>
    <message>
        <source>Hold Indefinitely</source>
        <translation>พักไว้ไม่มีกำหนด</translation>
    </message>
    <message>
        <source>Print Immediately</source>
        <translation>พิมพ์ทันที</translation>
    </message>
    <message>
        <source>Confidential</source>
        <translation>ลับเฉพาะ</translation>
    </message>
    <message>
        <source>Job priority:</source>
        <translation>ลำดับความสำคัญ:</translation>
    </message>
    <message>
        <source>Unclassified</source>
        <translation>ไม่ปกปิด</translation>
    </message>
</context>
<context>
    <name>QFileDialog</name>
    <message>
        <source>Back</source>
        <translation>ย้อนกลับ</translation>
    </message>
    <message>
        <source>File</source>
        <translation>ไฟล์</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>เปิด</translation>
    </message>
    <message>
        <source>&amp;Open</source>
        <translation>เปิด</translation>
    </message>
    <message>
        <source>&amp;Save</source>
        <translation>บันทึก</translation>
    </message>
    <message>
        <source>Alias</source>
        <translation>ชื่อแทน</translation>
    </message>
    <message>
        <source>Drive</source>
        <translation>ไดรฟ์</translation>
    </message>
    <message>
        <source>Files</source>
        <translation>ไฟล์</translation>
    </message>
    <message>
        <source>Show </source>
        <translation>แสดง </translation>
    </message>
    <message>
        <source>&apos;%1&apos; is write protected.
Do you want to delete it anyway?</source>
        <translation>&apos;%1&apos; ห้ามเขียน
ต้องการลบหรือไม่?</translation>
    </message>
    <message>
        <source>Are you sure you want to delete &apos;%1&apos;?</source>
        <translation>ต้องการลบ &apos;%1&apos; หรือไม่?</translation>
    </message>
    <message>
        <source>List of places and bookmarks</source>
        <translation>รายการที่อยู่และที่คั่นไว้</translation>
    </message>
    <message>
        <source>File &amp;name:</source>
        <translation>ชื่อไฟล์:</translation>
    </message>
    <message>
        <source>File Folder</source>
        <translation>โฟลเดอร์</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>ลบ</translation>
    </message>
    <message>
        <source>New Folder</source>
        <translation>โฟลเดอร์ใหม่</translation>
    </message>
    <message>
        <source>Folder</source>
        <translation>โฟลเดอร์</translation>
    </message>
    <message>
        <source>Parent Directory</source>
        <translation>โฟลเดอร์แม่</translation>
    </message>
    <message>
        <source>&amp;New Folder</source>
        <translation>โฟลเดอร์ใหม่</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>เอาออก</translation>
    </message>
    <message>
        <source>My Computer</source>
        <translation>คอมพิวเตอร์</translation>
    </message>
    <message>
        <source>Look in:</source>
        <translation>ดูใน:</translation>
    </message>
    <message>
        <source>Create a New Folder</source>
        <translation>สร้างโฟลเดอร์ใหม่</translation>
    </message>
    <message>
        <source>%1 File</source>
        <translation>ไฟล์ %1</translation>
    </message>
    <message>
        <source>Files of type:</source>
        <translation>ชนิดไฟล์:</translation>
    </message>
    <message>
        <source>Find Directory</source>
        <translation>หาโฟลเดอร์</translation>
    </message>
    <message>
        <source>Show &amp;hidden files</source>
        <translation>แสดงไฟล์ที่ซ่อน</translation>
    </message>
    <message>
        <source>Save As</source>
        <translation>บันทึกเป็น</translation>
    </message>
    <message>
        <source>%1
Directory not found.
Please verify the correct directory name was given.</source>
        <translation>%1
ไม่พบโฟลเดอร์
กรุณาตรวจชื่อโฟลเดอร์</translation>
    </message>
    <message>
        <source>Sidebar</source>
        <translation>แถบข้าง</translation>
    </message>
    <message>
        <source>List View</source>
        <translation>แสดงเป็นรายการ</translation>
    </message>
    <message>
        <source>&amp;Choose</source>
        <translation>เลือก</translation>
    </message>
    <message>
        <source>&amp;Delete</source>
        <translation>ลบ</translation>
    </message>
    <message>
        <source>All files (*)</source>
        <translation>ทุกไฟล์ (*)</translation>
    </message>
    <message>
        <source>All Files (*)</source>
        <translation>ทุกไฟล์ (*)</translation>
    </message>
    <message>
        <source>Directories</source>
        <translation>โฟลเดอร์</translation>
    </message>
    <message>
        <source>&amp;Rename</source>
        <translation>เปลี่ยนชื่อ</translation>
    </message>
    <message>
        <source>Could not delete directory.</source>
        <translation>ลบโฟลเดอร์ไม่ได้</translation>
    </message>
    <message>
        <source>Directory:</source>
        <translation>โฟลเดอร์:</translation>
    </message>
    <message>
        <source>Unknown</source>
        <translation>ไม่ทราบ</translation>
    </message>
    <message>
        <source>%1 already exists.
Do you want to replace it?</source>
        <translation>มีไฟล์ %1 อยู่แล้ว
ต้องการเขียนทับหรือไม่?</translation>
    </message>
    <message>
        <source>Forward</source>
        <translation>ไปข้างหน้า</translation>
    </message>
    <message>
        <source>Go forward</source>
        <translation>ไปข้างหน้า</translation>
    </message>
    <message>
        <source>Go to the parent directory</source>
        <translation>ไปโฟลเดอร์แม่</translation>
    </message>
    <message>
        <source>Recent Places</source>
        <translation>ที่ใช้ล่าสุด</translation>
    </message>
    <message>
        <source>Go back</source>
        <translation>ย้อนกลับ</translation>
    </message>
    <message>
        <source>Change to detail view mode</source>
        <translation>แสดงแบบละเอียด</translation>
    </message>
    <message>
        <source>Create New Folder</source>
        <translation>สร้างโฟลเดอร์ใหม่</translation>
    </message>
    <message>
        <source>Shortcut</source>
        <translation>ทางลัด</translation>
    </message>
    <message>
        <source>Detail View</source>
        <translation>แสดงแบบละเอียด</translation>
    </message>
    <message>
        <source>%1
File not found.
Please verify the correct file name was given.</source>
        <translation>%1
ไม่พบไฟล์
กรุณาตรวจชื่อไฟล์</translation>
    </message>
    <message>
        <source>Change to list view mode</source>
        <translation>แสดงเป็นรายการ</translation>
    </message>
</context>
<context>
    <name>QLineEdit</name>
    <message>
        <source>Cu&amp;t</source>
        <translation>ตัด</translation>
    </message>
    <message>
        <source>&amp;Copy</source>
        <translation>คัดลอก</translation>
    </message>
    <message>
        <source>&amp;Redo</source>
        <translation>ทำซ้ำ</translation>
    </message>
    <message>
        <source>&amp;Undo</source>
        <translation>เลิกทำ</translation>
    </message>
    <message>
        <source>&amp;Paste</source>
        <translation>วาง</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>ลบ</translation>
    </message>
    <message>
        <source>Select All</source>
        <translation>เลือกทั้งหมด</translation>
    </message>
</context>
<context>
    <name>QWidgetTextControl</name>
    <message>
        <source>Cu&amp;t</source>
        <translation>ตัด</translation>
    </message>
    <message>
        <source>&amp;Copy</source>
        <translation>คัดลอก</translation>
    </message>
    <message>
        <source>&amp;Redo</source>
        <translation>ทำซ้ำ</translation>
    </message>
    <message>
        <source>&amp;Undo</source>
        <translation>เลิกทำ</translation>
    </message>
    <message>
        <source>&amp;Paste</source>
        <translation>วาง</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>ลบ</translation>
    </message>
    <message>
        <source>Select All</source>
        <translation>เลือกทั้งหมด</translation>
    </message>
    <message>
        <source>Copy &amp;Link Location</source>
        <translation>คัดลอกที่อยู่ลิงก์</translation>
    </message>
</context>
<context>
    <name>QPrintPropertiesWidget</name>
    <message>
        <source>Form</source>
        <translation>ฟอร์ม</translation>
    </message>
    <message>
        <source>Page</source>
        <translation>หน้า</translation>
    </message>
</context>
<context>
    <name>QFileSystemModel</name>
    <message>
        <source>Kind</source>
        <translation>ชนิด</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>ชื่อ</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>ขนาด</translation>
    </message>
    <message>
        <source>Type</source>
        <translation>ชนิด</translation>
    </message>
    <message>
        <source>&lt;b&gt;The name &quot;%1&quot; can not be used.&lt;/b&gt;&lt;p&gt;Try using another name, with fewer characters or no punctuations marks.</source>
        <translation>&lt;b&gt;ใช้ชื่อ &quot;%1&quot; ไม่ได้&lt;/b&gt;&lt;p&gt;กรุณาใช้ชื่ออื่นที่สั้นกว่าหรือไม่มีเครื่องหมายวรรคตอน</translation>
    </message>
    <message>
        <source>%1 bytes</source>
        <translation>%1 ไบต์</translation>
    </message>
    <message>
        <source>My Computer</source>
        <translation>คอมพิวเตอร์</translation>
    </message>
    <message>
        <source>Computer</source>
        <translation>คอมพิวเตอร์</translation>
    </message>
    <message>
        <source>Invalid filename</source>
        <translation>ชื่อไฟล์ใช้ไม่ได้</translation>
    </message>
    <message>
        <source>Date Modified</source>
        <translation>วันที่แก้ไข</translation>
    </message>
</context>
<context>
    <name>QAbstractSpinBox</name>
    <message>
        <source>Step &amp;down</source>
        <translation>ลดลง</translation>
    </message>
    <message>
        <source>&amp;Step up</source>
        <translation>เพิ่มขึ้น</translation>
    </message>
    <message>
        <source>&amp;Select All</source>
        <translation>เลือกทั้งหมด</translation>
    </message>
</context>
<context>
    <name>QPrintPropertiesDialog</name>
    <message>
        <source>Job Options</source>
        <translation>ตัวเลือกงานพิมพ์</translation>
    </message>
    <message>
        <source>Printer Properties</source>
        <translation>คุณสมบัติเครื่องพิมพ์</translation>
    </message>
</context>
<context>
    <name>report::PreviewWindow</name>
    <message>
        <source>Preview</source>
        <translation>ดูก่อนพิมพ์</translation>
    </message>
    <message>
        <source>Find</source>
        <translation>ค้นหา</translation>
    </message>
    <message>
        <source>Not found: %1</source>
        <translation>ไม่พบ: %1</translation>
    </message>
    <message>
        <source>Page set-up</source>
        <translation>ตั้งค่าหน้ากระดาษ</translation>
    </message>
    <message>
        <source>Print</source>
        <translation>พิมพ์</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>วิธีใช้</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>ออก</translation>
    </message>
    <message>
        <source>Zoom</source>
        <translation>ย่อ/ขยาย</translation>
    </message>
    <message>
        <source>Zoom in</source>
        <translation>ขยาย</translation>
    </message>
    <message>
        <source>Previous page</source>
        <translation>หน้าก่อน</translation>
    </message>
    <message>
        <source>Next page</source>
        <translation>หน้าถัดไป</translation>
    </message>
    <message>
        <source>Page Up / Page Down: previous / next page
Ctrl+F: find
+ and the zoom list: zoom
Escape: close</source>
        <translation>Page Up / Page Down: หน้าก่อน / หน้าถัดไป
Ctrl+F: ค้นหา
+ และรายการย่อ/ขยาย: ย่อหรือขยาย
Escape: ปิด</translation>
    </message>
</context>
<context>
    <name>report::Printing</name>
    <message>
        <source>Print</source>
        <translation>พิมพ์</translation>
    </message>
    <message>
        <source>No printer is installed on this computer.</source>
        <translation>ไม่พบเครื่องพิมพ์ที่ติดตั้งไว้ในเครื่องนี้</translation>
    </message>
    <message>
        <source>The document can be saved as a PDF file instead.</source>
        <translation>บันทึกเอกสารเป็นไฟล์ PDF แทนได้</translation>
    </message>
    <message>
        <source>Save as PDF</source>
        <translation>บันทึกเป็น PDF</translation>
    </message>
    <message>
        <source>PDF files (*.pdf)</source>
        <translation>ไฟล์ PDF (*.pdf)</translation>
    </message>
    <message>
        <source>The printer &apos;%1&apos; cannot print</source>
        <translation>เครื่องพิมพ์ &apos;%1&apos; พิมพ์ไม่ได้</translation>
    </message>
    <message>
        <source>The file %1 could not be written
(%2)
The document was not saved into the file. Check the free space on the disk and print again.</source>
        <translation>บันทึกไฟล์ %1 ไม่สำเร็จ
(%2)
เอกสารยังไม่ได้บันทึกลงไฟล์ กรุณาตรวจสอบพื้นที่ว่างในดิสก์ แล้วพิมพ์อีกครั้ง</translation>
    </message>
</context>
<context>
    <name>prompts</name>
    <message>
        <source>Confirm</source>
        <translation>ยืนยัน</translation>
    </message>
</context>
</TS>
